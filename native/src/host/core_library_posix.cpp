#include "core_library.h"

#include <dlfcn.h>

namespace tovarune {

LibraryHandle open_library(const std::string &utf8_path) {
    // RTLD_LOCAL: cores export hundreds of private symbols that must not
    // resolve against each other or against the host.
    return dlopen(utf8_path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void *find_symbol(LibraryHandle library, const char *name) { return dlsym(library, name); }

void close_library(LibraryHandle library) { dlclose(library); }

} // namespace tovarune
