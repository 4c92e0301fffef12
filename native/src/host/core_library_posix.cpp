#include "core_library.h"

#include <dlfcn.h>
#include <elf.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace tovarune {

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

// The loader maps a library's segments straight from the file and faults
// (SIGBUS, ending the whole game) when one of them runs past the end of a
// truncated file. So an ELF file is checked first; anything else is left to
// dlopen, which refuses it cleanly.
bool segments_fit_in_file(const std::string &path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return true; // dlopen will fail on its own, or search the library path
    }
    Elf64_Ehdr header;
    if (std::fread(&header, 1, sizeof header, file.get()) != sizeof header ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        return true;
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        return false;
    }
    const long end = std::ftell(file.get());
    if (end < 0) {
        return false;
    }
    const auto file_size = static_cast<unsigned long>(end);
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        const unsigned long at =
            header.e_phoff + static_cast<unsigned long>(i) * header.e_phentsize;
        if (header.e_phentsize < sizeof segment || at > file_size ||
            file_size - at < sizeof segment ||
            std::fseek(file.get(), static_cast<long>(at), SEEK_SET) != 0 ||
            std::fread(&segment, 1, sizeof segment, file.get()) != sizeof segment) {
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
    if (utf8_path.empty() || !segments_fit_in_file(utf8_path)) {
        return nullptr;
    }
    // RTLD_LOCAL: cores export hundreds of private symbols that must not
    // resolve against each other or against the host.
    return dlopen(utf8_path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void *find_symbol(LibraryHandle library, const char *name) { return dlsym(library, name); }

void close_library(LibraryHandle library) { dlclose(library); }

} // namespace tovarune
