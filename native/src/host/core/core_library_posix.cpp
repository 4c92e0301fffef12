#include "content/native_path.h"
#include "content/regular_file.h"
#include "core/core_copies.h"
#include "core/core_library.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tovarune {

namespace {

// The loader maps a library's segments straight from the file and faults
// (SIGBUS, ending the whole game) when one of them runs past the end of a
// truncated file. So an ELF file is checked first; anything else is left to
// dlopen, which refuses it cleanly.
bool segments_fit_in_file(const RegularFile &library) {
    std::FILE *file = library.file.get();
    Elf64_Ehdr header;
    if (std::fread(&header, 1, sizeof header, file) != sizeof header ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        return true;
    }
    const std::uint64_t file_size = library.size;
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        const unsigned long at =
            header.e_phoff + static_cast<unsigned long>(i) * header.e_phentsize;
        if (header.e_phentsize < sizeof segment || at > file_size ||
            file_size - at < sizeof segment ||
            std::fseek(file, static_cast<long>(at), SEEK_SET) != 0 ||
            std::fread(&segment, 1, sizeof segment, file) != sizeof segment) {
            return false;
        }
        if (segment.p_type == PT_LOAD &&
            (segment.p_offset > file_size || file_size - segment.p_offset < segment.p_filesz)) {
            return false;
        }
    }
    return true;
}

} // namespace

LibraryHandle open_library(const std::string &utf8_path) {
    // dlopen("") would hand back the host program itself.
    if (utf8_path.empty()) {
        return nullptr;
    }
    // A path with a slash is the very file dlopen opens, and opening a pipe
    // or a device there would block or read forever; only a regular file
    // goes on. A bare name is searched for on the library path.
    if (utf8_path.find('/') != std::string::npos) {
        const RegularFile library = open_regular_file(native_path(utf8_path));
        if (!library.file || !segments_fit_in_file(library)) {
            return nullptr;
        }
    }
    // RTLD_LOCAL: cores export hundreds of private symbols that must not
    // resolve against each other or against the host.
    return dlopen(utf8_path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void *find_symbol(LibraryHandle library, const char *name) { return dlsym(library, name); }

void close_library(LibraryHandle library) { dlclose(library); }

std::string library_file(LibraryHandle library) {
    link_map *map = nullptr;
    return dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr
               ? map->l_name
               : "";
}

LibraryHandle open_library_copy(const std::string &file, std::string &copy_left,
                                std::string &failure) {
    copy_left.clear();
    const std::string copy = make_core_copy(file, failure);
    if (copy.empty()) {
        return nullptr;
    }
    LibraryHandle library = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    // The mapping keeps the contents for as long as the module is loaded.
    remove_core_copy(copy);
    if (library == nullptr) {
        failure = "O sistema recusou a copia privada do core: " + copy;
    }
    return library;
}

} // namespace tovarune
