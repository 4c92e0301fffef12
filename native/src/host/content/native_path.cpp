#include "content/native_path.h"
#include "content/resource_paths.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovarune {

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

bool is_drive_absolute(const std::string &path) {
    const char drive = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
    return path.size() >= 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' &&
           is_separator(path[2]);
}

} // namespace

std::string windows_normalized_path(const std::string &utf8) {
    if (!is_drive_absolute(utf8)) {
        return utf8;
    }
    std::vector<std::string> names;
    for (std::size_t at = 3; at < utf8.size();) {
        std::size_t end = at;
        while (end < utf8.size() && !is_separator(utf8[end])) {
            ++end;
        }
        std::string name = utf8.substr(at, end - at);
        at = end + 1;
        if (name == "..") {
            if (!names.empty()) {
                names.pop_back();
            }
        } else if (!name.empty() && name != ".") {
            // Windows drops one trailing dot of a name ("a." is "a"), but
            // names of dots alone ("...") stay.
            if (name.back() == '.' && name.find_first_not_of('.') != std::string::npos) {
                name.pop_back();
            }
            names.push_back(std::move(name));
        }
    }
    const bool ends_with_separator = is_separator(utf8.back());
    if (!ends_with_separator && !names.empty()) {
        // ...and every dot and blank at the very end of the path.
        std::string &last = names.back();
        last.erase(last.find_last_not_of(". ") + 1);
        if (last.empty()) {
            names.pop_back();
        }
    }
    std::string normalized = utf8.substr(0, 2) + '\\';
    for (std::size_t i = 0; i < names.size(); ++i) {
        normalized += names[i];
        if (i + 1 < names.size() || ends_with_separator) {
            normalized += '\\';
        }
    }
    return normalized;
}

std::string windows_extended_path(const std::string &utf8) {
    return is_drive_absolute(utf8) ? "\\\\?\\" + windows_normalized_path(utf8) : utf8;
}

#ifdef _WIN32

std::wstring utf8_to_wide(const std::string &utf8) {
    if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(utf8.size());
    const int wide_length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (wide_length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(),
                        wide_length);
    return wide;
}

std::filesystem::path native_path(const std::string &utf8) {
    if (is_resource_path(utf8)) {
        return {};
    }
    return std::filesystem::path(utf8_to_wide(windows_extended_path(utf8)));
}

#else

std::filesystem::path native_path(const std::string &utf8) {
    return is_resource_path(utf8) ? std::filesystem::path() : std::filesystem::path(utf8);
}

#endif

} // namespace tovarune
