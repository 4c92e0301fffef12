#include "content/native_path.h"
#include "content/regular_file.h"
#include "core/core_copies.h"
#include "core/core_library.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>

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

std::string library_file(LibraryHandle library) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = GetModuleFileNameW(static_cast<HMODULE>(library), name.data(),
                                              static_cast<DWORD>(name.size()));
        if (size == 0) {
            return {};
        }
        if (size < name.size()) {
            name.resize(size);
            return std::filesystem::path(name).u8string();
        }
        name.resize(name.size() * 2);
    }
}

LibraryHandle open_library_copy(const std::string &file, std::string &copy_left,
                                std::string &failure) {
    copy_left.clear();
    const std::string copy = make_core_copy(file, failure);
    const std::wstring wide = utf8_to_wide(windows_normalized_path(copy));
    if (copy.empty()) {
        return nullptr;
    }
    // The DLLs the core imports lie beside the original, not beside the copy.
    const std::filesystem::path original = native_path(file);
    const DLL_DIRECTORY_COOKIE beside_original = AddDllDirectory(original.parent_path().c_str());
    LibraryHandle library;
    {
        const NoLoaderDialogs quiet;
        library =
            LoadLibraryExW(wide.c_str(), nullptr,
                           LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    }
    if (beside_original != nullptr) {
        RemoveDllDirectory(beside_original);
    }
    if (library == nullptr) {
        remove_core_copy(copy);
        failure = "O sistema recusou a copia privada do core: " + copy;
        return nullptr;
    }
    copy_left = copy;
    return library;
}

} // namespace tovarune
