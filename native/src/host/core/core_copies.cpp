#include "core/core_copies.h"
#include "content/native_path.h"
#include "core/processes.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tovarune {

namespace {

// Players on many threads make copies at once; each copy's name is fresh.
std::atomic<std::uint64_t> copies_made{0};

// A directory that only this user can write to: nobody else can put a library
// where this process then loads one from.
fs::path copies_directory() {
    std::error_code ec;
    const fs::path temporary = fs::temp_directory_path(ec);
    if (ec) {
        return {};
    }
#ifdef _WIN32
    const fs::path directory = temporary / L"tovarune-cores";
    CreateDirectoryW(directory.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(directory.c_str());
    const bool usable = attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    const fs::path directory = temporary / ("tovarune-cores-" + std::to_string(geteuid()));
    mkdir(directory.c_str(), 0700);
    struct stat status;
    const bool usable = lstat(directory.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
                        status.st_uid == geteuid() && (status.st_mode & 077) == 0;
#endif
    return usable ? directory : fs::path();
}

// Copies are named "<process id>-<number>-<file name>".
bool left_by_ended_process(const std::string &name) {
    std::uint64_t id = 0;
    std::size_t digits = 0;
    for (; digits < name.size() && digits < 10 && name[digits] >= '0' && name[digits] <= '9';
         ++digits) {
        id = id * 10 + static_cast<std::uint64_t>(name[digits] - '0');
    }
    return digits > 0 && digits < name.size() && name[digits] == '-' && id <= UINT32_MAX &&
           process_has_ended(static_cast<std::uint32_t>(id));
}

void remove_file(const fs::path &path) {
#ifdef _WIN32
    DeleteFileW(path.c_str());
#else
    unlink(path.c_str());
#endif
}

void remove_copies_of_ended_processes(const fs::path &directory) {
    std::error_code ec;
    for (fs::directory_iterator entry(directory, ec), end; !ec && entry != end;
         entry.increment(ec)) {
        if (left_by_ended_process(entry->path().filename().u8string())) {
            remove_file(entry->path());
        }
    }
}

} // namespace

std::string make_core_copy(const std::string &file) {
    const fs::path directory = copies_directory();
    const fs::path source = native_path(file);
    if (directory.empty() || source.empty()) {
        return {};
    }
    remove_copies_of_ended_processes(directory);
    // The file name stays (Windows adds ".dll" to a name without an extension)
    // unless it would make the name too long.
    std::string name = source.filename().u8string();
    if (name.size() > 200) {
        name = "core" + source.extension().u8string().substr(0, 20);
    }
    const fs::path copy = directory / fs::u8path(std::to_string(current_process_id()) + "-" +
                                                 std::to_string(++copies_made) + "-" + name);
#ifdef _WIN32
    const bool copied = CopyFileW(source.c_str(), copy.c_str(), TRUE);
#else
    std::error_code ec;
    const bool copied = fs::copy_file(source, copy, ec) && !ec;
#endif
    if (!copied) {
        remove_core_copy(copy.u8string());
        return {};
    }
    return copy.u8string();
}

void remove_core_copy(const std::string &copy) { remove_file(native_path(copy)); }

} // namespace tovarune
