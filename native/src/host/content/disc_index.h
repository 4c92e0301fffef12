#pragma once

#include "content/byte_buffer.h"

#include <string>
#include <vector>

namespace tovarune {

// The files a game's index file names, as written in it, with '\\' read as
// '/': the tracks of a cue sheet (its FILE lines) or of a .gdi (the file of
// each track line), the image, sub-channel and cue sheet of a .ccd (its own
// name with .img, .sub and .cue), the discs of an .m3u playlist (every line
// but comments). None for any other file, or an index too large to be one.
std::vector<std::string> named_files(const std::string &file_name, const ByteBuffer &bytes);

// A '/'-separated name taken inside a folder, with "." and ".." resolved;
// empty when it is absolute (or names a drive) or would leave the folder.
std::string inside_folder(const std::string &name);

} // namespace tovarune
