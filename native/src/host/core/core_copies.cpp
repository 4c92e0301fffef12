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

// Players on many threads make copies at once; each copy's name is new to the
// process, as the loader takes a name it has mapped for that module again.
std::atomic<std::uint64_t> copies_made{0};

// A name taken by something that cannot go moves on to the next; this many
// taken names mean the folder is unusable.
constexpr int copy_tries = 100;

// A directory that only this user can write to: nobody else can put a library
// where this process then loads one from. Its path, and whether it is one.
fs::path copies_directory(bool &usable) {
    usable = false;
    std::error_code ec;
    const fs::path temporary = fs::temp_directory_path(ec);
    if (ec) {
        return temporary;
    }
#ifdef _WIN32
    const fs::path directory = temporary / L"tovarune-cores";
    CreateDirectoryW(directory.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(directory.c_str());
    usable = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
             !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    const fs::path directory = temporary / ("tovarune-cores-" + std::to_string(geteuid()));
    mkdir(directory.c_str(), 0700);
    struct stat status;
    usable = lstat(directory.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
             status.st_uid == geteuid() && (status.st_mode & 077) == 0;
#endif
    return directory;
}

// Copies are named "<process id>-<number>-<file name>": the id, when it is one.
bool maker_of(const std::string &name, std::uint32_t &id) {
    std::uint64_t number = 0;
    std::size_t digits = 0;
    for (; digits < name.size() && digits < 10 && name[digits] >= '0' && name[digits] <= '9';
         ++digits) {
        number = number * 10 + static_cast<std::uint64_t>(name[digits] - '0');
    }
    id = static_cast<std::uint32_t>(number);
    return digits > 0 && digits < name.size() && name[digits] == '-' && number <= UINT32_MAX;
}

void remove_file(const fs::path &path) {
#ifdef _WIN32
    DeleteFileW(path.c_str());
#else
    unlink(path.c_str());
#endif
}

void remove_leftover_copies(const fs::path &directory) {
    std::error_code ec;
    for (fs::directory_iterator entry(directory, ec), end; !ec && entry != end;
         entry.increment(ec)) {
        const std::string name = entry->path().filename().u8string();
        std::uint32_t id = 0;
        if (maker_of(name, id)) {
            remove_if_left_over(id, name, [&] { remove_file(entry->path()); });
        }
    }
}

bool name_taken(const fs::path &path) {
#ifdef _WIN32
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
#endif
}

bool copy_exclusively(const fs::path &source, const fs::path &copy) {
#ifdef _WIN32
    return CopyFileW(source.c_str(), copy.c_str(), TRUE);
#else
    std::error_code ec;
    return fs::copy_file(source, copy, ec) && !ec;
#endif
}

} // namespace

std::string make_core_copy(const std::string &file, std::string &failure) {
    bool usable = false;
    const fs::path directory = copies_directory(usable);
    const fs::path source = native_path(file);
    if (!usable) {
        failure = "A pasta das copias privadas do core nao e uma pasta so deste usuario: " +
                  directory.u8string();
        return {};
    }
    if (source.empty()) {
        failure = "Nao foi possivel copiar o core: " + file;
        return {};
    }
    remove_leftover_copies(directory);
    // The file name stays (Windows adds ".dll" to a name without an extension)
    // unless it would make the name too long.
    std::string name = source.filename().u8string();
    if (name.size() > 200) {
        name = "core" + source.extension().u8string().substr(0, 20);
    }
    const std::string prefix = std::to_string(current_process_id()) + "-";
    for (int tries = 0; tries < copy_tries; ++tries) {
        const std::string copy_name = prefix + std::to_string(++copies_made) + "-" + name;
        const fs::path copy = directory / fs::u8path(copy_name);
        if (!claim_own_name(copy_name)) {
            continue; // a copy this process holds
        }
        if (name_taken(copy)) {
            release_own_name(copy_name); // what a leftover's removal left in place
            continue;
        }
        if (copy_exclusively(source, copy)) {
            return copy.u8string();
        }
        remove_core_copy(copy.u8string()); // whatever of it was written
        break;
    }
    failure = "Nao foi possivel copiar o core para " + directory.u8string() +
              ": a pasta temporaria esta cheia ou sem permissao de escrita.";
    return {};
}

void remove_core_copy(const std::string &copy) {
    const fs::path path = native_path(copy);
    remove_file(path);
    release_own_name(path.filename().u8string());
}

} // namespace tovarune
