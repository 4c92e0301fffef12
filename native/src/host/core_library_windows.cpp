#include "core_library.h"
#include "native_path.h"
#include "regular_file.h"

#include <windows.h>

#include <algorithm>

namespace tovarune {

namespace {

// A drive path from its root, a network share or a device path: the loader
// opens that very file instead of searching for it.
bool is_full_path(const std::string &path) {
    const auto separator = [](char c) { return c == '/' || c == '\\'; };
    return windows_extended_path(path) != path ||
           (path.size() >= 2 && separator(path[0]) && separator(path[1]));
}

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
    if (!is_full_path(utf8_path)) {
        // Relative paths and bare names go to the system's library search.
        const std::wstring wide = utf8_to_wide(utf8_path);
        if (wide.empty()) {
            return nullptr;
        }
        const NoLoaderDialogs quiet;
        return LoadLibraryW(wide.c_str());
    }
    // A pipe, a device or a directory never reaches the loader.
    if (!open_regular_file(native_path(utf8_path)).file) {
        return nullptr;
    }
    // The loader takes the extended form only where the plain one is too
    // long, and wants backslashes for the altered search.
    std::wstring wide = utf8_to_wide(windows_normalized_path(utf8_path));
    if (wide.size() >= MAX_PATH) {
        wide = utf8_to_wide(windows_extended_path(utf8_path));
    } else {
        std::replace(wide.begin(), wide.end(), L'/', L'\\');
    }
    if (wide.empty()) {
        return nullptr;
    }
    // The core's own directory is searched first for the DLLs it imports.
    const NoLoaderDialogs quiet;
    return LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void *find_symbol(LibraryHandle library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close_library(LibraryHandle library) { FreeLibrary(static_cast<HMODULE>(library)); }

} // namespace tovarune
