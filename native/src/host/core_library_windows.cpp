#include "core_library.h"
#include "native_path.h"

#include <windows.h>

namespace tovarune {

namespace {

// A corrupt or foreign library must fail the load, not open a system dialog
// that would block the game until someone answers it.
class NoLoaderDialogs {
public:
    NoLoaderDialogs() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~NoLoaderDialogs() { SetThreadErrorMode(previous_, nullptr); }
    NoLoaderDialogs(const NoLoaderDialogs &) = delete;
    NoLoaderDialogs &operator=(const NoLoaderDialogs &) = delete;

private:
    DWORD previous_ = 0;
};

} // namespace

LibraryHandle open_library(const std::string &utf8_path) {
    const std::wstring wide = utf8_to_wide(utf8_path);
    if (wide.empty()) {
        return nullptr;
    }
    const NoLoaderDialogs quiet;
    return LoadLibraryW(wide.c_str());
}

void *find_symbol(LibraryHandle library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close_library(LibraryHandle library) { FreeLibrary(static_cast<HMODULE>(library)); }

} // namespace tovarune
