#pragma once

#include <string>

namespace tovarune {

// A core's shared library, loaded by the operating system's own loader.
// Paths are UTF-8; each platform turns them into its native form.
using LibraryHandle = void *;

LibraryHandle open_library(const std::string &utf8_path);
void *find_symbol(LibraryHandle library, const char *name);
void close_library(LibraryHandle library);

// The file the loader mapped for `library`; empty when it cannot tell.
std::string library_file(LibraryHandle library);

// Loads a private copy of the library `file` (core_copies.h), which shares
// nothing with the file's other modules. The copy is removed at once where the
// loaded module keeps its contents alive (POSIX); otherwise its path is left in
// `copy_left`, to go with remove_core_copy once the module is closed. Null,
// with the cause for the user in `failure`, when it cannot.
LibraryHandle open_library_copy(const std::string &file, std::string &copy_left,
                                std::string &failure);

} // namespace tovarune
