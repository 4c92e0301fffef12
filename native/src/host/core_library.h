#pragma once

#include <string>

namespace tovarune {

// A core's shared library, loaded by the operating system's own loader.
// Paths are UTF-8; each platform turns them into its native form.
using LibraryHandle = void *;

LibraryHandle open_library(const std::string &utf8_path);
void *find_symbol(LibraryHandle library, const char *name);
void close_library(LibraryHandle library);

} // namespace tovarune
