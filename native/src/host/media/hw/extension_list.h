#pragma once

#include <cstring>

namespace tovarune {

// Whether a space-separated extension list (EGL's, WGL's, GL's) names `name`.
inline bool lists_extension(const char *list, const char *name) {
    if (list == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char *at = list; (at = std::strstr(at, name)) != nullptr; at += length) {
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) {
            return true;
        }
    }
    return false;
}

} // namespace tovarune
