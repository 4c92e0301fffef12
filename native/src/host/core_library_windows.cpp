#include "core_library.h"
#include "native_path.h"

#include <windows.h>

namespace tovarune {

LibraryHandle open_library(const std::string &utf8_path) {
    const std::wstring wide = utf8_to_wide(utf8_path);
    if (wide.empty()) {
        return nullptr;
    }
    return LoadLibraryW(wide.c_str());
}

void *find_symbol(LibraryHandle library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close_library(LibraryHandle library) { FreeLibrary(static_cast<HMODULE>(library)); }

} // namespace tovarune
