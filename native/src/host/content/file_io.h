#pragma once

#include "content/byte_buffer.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tovarune {

// Whole-file operations on UTF-8 paths. None throws and none prints.

enum class ReadResult {
    ok,
    not_found,   // no file by that name
    open_failed, // it is there but cannot be opened
    read_failed, // opened, but not read through (or too large to hold)
};

// Reads the whole file into `bytes`.
ReadResult read_file(const std::string &path, ByteBuffer &bytes);

// Reads at most `size` bytes from the start of the file into `buffer`.
ReadResult read_file_into(const std::string &path, void *buffer, std::size_t size);

// Replaces the file with `size` bytes: they go to a temporary file beside it,
// which is flushed and renamed over the target only when every byte is out.
// Each write has a temporary file of its own, so concurrent writers of one
// file (threads or processes) never take each other's: the last rename wins.
// On failure the old file is untouched and no temporary file stays behind;
// those a crash left are removed by the next write of the target, and a name
// taken all the same moves on to the next.
bool write_file_atomically(const std::string &path, const void *data, std::size_t size);

// Creates the directory and every missing parent; an existing one is fine.
bool create_directories(const std::string &path);

// The names in a directory, without "." and ".."; none when it cannot be read.
std::vector<std::string> directory_names(const std::string &path);

void remove_file(const std::string &path);
// Only a directory that is empty goes.
void remove_empty_directory(const std::string &path);

} // namespace tovarune
