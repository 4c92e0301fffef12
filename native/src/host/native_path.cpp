#include "native_path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovarune {

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
    return std::filesystem::path(utf8_to_wide(utf8));
}

#else

std::filesystem::path native_path(const std::string &utf8) { return std::filesystem::path(utf8); }

#endif

} // namespace tovarune
