#pragma once

#include <string>

namespace tovarune {

// Path rules differ by platform: Windows separates with both slashes, knows
// drive designators and cuts names at a colon; POSIX has only '/'.
enum class PathStyle { windows, posix };

#ifdef _WIN32
constexpr PathStyle native_path_style = PathStyle::windows;
#else
constexpr PathStyle native_path_style = PathStyle::posix;
#endif

// The name a game's saves take by default: the stem of the game file's name.
std::string game_save_name(const std::string &rom_path, PathStyle style = native_path_style);

// The file `name` followed by `extension` in the save directory. Empty when
// the directory is (no file applies).
std::string save_file_path(const std::string &save_dir, const std::string &name,
                           const std::string &extension, PathStyle style = native_path_style);

// The battery save file of a game: the game file's stem with ".srm" in the
// save directory. Empty when either text is empty (no file applies).
std::string save_ram_path(const std::string &save_dir, const std::string &rom_path,
                          PathStyle style = native_path_style);

} // namespace tovarune
