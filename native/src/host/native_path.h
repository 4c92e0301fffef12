#pragma once

#include <filesystem>
#include <string>

namespace tovarune {

// Host texts are UTF-8; this is the one place they become file-system paths.
// On Windows the narrow code page is not UTF-8, so the path is built from
// UTF-16. Text that is not valid UTF-8 there gives an empty path, which every
// file operation then refuses.
std::filesystem::path native_path(const std::string &utf8);

#ifdef _WIN32
std::wstring utf8_to_wide(const std::string &utf8);
#endif

} // namespace tovarune
