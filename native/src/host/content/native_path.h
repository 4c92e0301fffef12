#pragma once

#include <filesystem>
#include <string>

namespace tovarune {

// Host texts are UTF-8; this is the one place they become file-system paths.
// An engine resource path (res://, user://) is none: it gives an empty path.
// On Windows the narrow code page is not UTF-8, so the path is built from
// UTF-16, and an absolute drive path takes its extended form (below). Text
// that is not valid UTF-8 there gives an empty path, which every file
// operation then refuses.
std::filesystem::path native_path(const std::string &utf8);

// An absolute drive path (C:\ or C:/) as Windows itself reads it: backslashes
// only, "." and ".." segments resolved, trailing dots and blanks of the last
// name dropped. Any other path (relative, drive-relative, a network share, a
// device or an already extended path) comes back unchanged.
std::string windows_normalized_path(const std::string &utf8);

// The "\\?\" form of the normalized path, which opens past MAX_PATH without
// the machine's long-path switch (the engine opens its own files this way).
// The prefix turns off Windows' own parsing, hence the normalization. Paths
// that windows_normalized_path leaves alone are returned unchanged.
std::string windows_extended_path(const std::string &utf8);

#ifdef _WIN32
std::wstring utf8_to_wide(const std::string &utf8);
#endif

} // namespace tovarune
