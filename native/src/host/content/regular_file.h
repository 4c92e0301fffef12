#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace tovarune {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct RegularFile {
    File file; // null when refused
    std::uint64_t size = 0;
    bool missing = false; // refused because nothing is there by that name
};

// Opens an existing file for binary reading only when it is a regular file.
// The open never waits: a pipe without a writer, a device or a directory is
// refused at once, before anything reads from it.
RegularFile open_regular_file(const std::filesystem::path &path);

} // namespace tovarune
