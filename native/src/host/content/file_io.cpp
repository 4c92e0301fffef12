#include "content/file_io.h"
#include "content/content_hash.h"
#include "content/native_path.h"
#include "content/regular_file.h"
#include "core/processes.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tovarune {

namespace {

ReadResult refusal(const RegularFile &opened) {
    return opened.missing ? ReadResult::not_found : ReadResult::open_failed;
}

bool flush_to_disk(std::FILE *file) {
    if (std::fflush(file) != 0) {
        return false;
    }
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Each write has a temporary file of its own, named after the target and the
// writer (process id and a number, the first that is free), so that writers of
// one file never take each other's. A name near the file system's limit (255,
// counted in UTF-8 bytes, which is also the stricter count for Windows names
// under Wine) keeps its start and a hash of the whole name instead.
constexpr std::size_t name_limit = 255;
const std::string suffix = ".tovarune-tmp";
constexpr std::size_t pid_digits = 8, tag_size = 1 + pid_digits + 1 + 8; // ".pid-count"
const std::size_t tail_size = tag_size + suffix.size();
// A name taken by something that cannot go (a directory, another user's
// file) moves on to the next; this many taken names fail the write.
constexpr std::uint32_t temporary_tries = 1000;

void append_hex(std::string &text, std::uint64_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        text += "0123456789abcdef"[(value >> shift) & 0xF];
    }
}

// The part of a temporary name that comes from the target's name.
std::string temporary_stem(const std::string &name) {
    if (name.size() + tail_size <= name_limit) {
        return name;
    }
    std::size_t keep = name_limit - 17 - tail_size; // 17: "~" and the hash
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
        --keep; // not in the middle of a character
    }
    return name.substr(0, keep) + "~" + content_hash(name.data(), name.size());
}

std::string temporary_name(const std::string &stem, std::uint32_t pid, std::uint32_t number) {
    std::string name = stem + ".";
    append_hex(name, pid, pid_digits);
    name += "-";
    append_hex(name, number, 8);
    return name + suffix;
}

// Holds the claim on a temporary name (processes.h) while the write lasts.
class TemporaryName {
public:
    ~TemporaryName() { release(); }
    bool claim(const std::string &name) {
        release();
        if (!claim_own_name(name)) {
            return false;
        }
        name_ = name;
        return true;
    }

private:
    void release() {
        if (!name_.empty()) {
            release_own_name(name_);
        }
    }
    std::string name_;
};

// The process that wrote a temporary file of the stem's target, if it is one.
bool writer_of(const std::string &name, const std::string &stem, std::uint32_t &pid) {
    if (name.size() != stem.size() + tail_size || name.compare(0, stem.size(), stem) != 0 ||
        name[stem.size()] != '.' ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const char *digits = name.data() + stem.size() + 1;
    return std::from_chars(digits, digits + pid_digits, pid, 16).ptr == digits + pid_digits;
}

#ifdef _WIN32

fs::path final_target(const fs::path &path) { return path; }

// A file in the way is replaced; a directory is not.
bool replaceable(const fs::path &target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// CREATE_NEW: a name that is taken is another writer's, never reused.
File create_temporary(const fs::path &path) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    File file(_fdopen(fd, "wb"));
    if (!file) {
        _close(fd);
    }
    return file;
}

template <typename Visit> void each_name(const fs::path &directory, Visit visit) {
    WIN32_FIND_DATAW found;
    const fs::path pattern = directory.empty() ? fs::path(L"*") : directory / L"*";
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        visit(fs::path(found.cFileName).u8string());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// Another writer's rename over the same target, or a reader that does not
// share deletion, denies access for a moment; so a denied rename is retried
// for a while before the write fails.
bool rename_over(const fs::path &from, const fs::path &to) {
    for (int tries = 1;; ++tries) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || tries == 50) {
            return false;
        }
        Sleep(1);
    }
}

void remove_file(const fs::path &path) { DeleteFileW(path.c_str()); }

bool name_taken(const fs::path &path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void remove_directory(const fs::path &path) { RemoveDirectoryW(path.c_str()); }

// std::filesystem asks msvcrt's stat about every level, and that refuses the
// "\\?\" form of a path; so the levels are found and made here.
bool make_directories(const std::wstring &path) {
    std::vector<std::wstring> missing;
    for (std::wstring level = path;;) {
        const DWORD attributes = GetFileAttributesW(level.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            break;
        }
        missing.push_back(level);
        const std::size_t end = level.find_last_not_of(L"\\/");
        const std::size_t cut = end == std::wstring::npos ? end : level.find_last_of(L"\\/", end);
        if (cut == std::wstring::npos) {
            break;
        }
        level.erase(cut + 1);
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        CreateDirectoryW(level->c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

#else

// Writing through a symbolic link replaces the file it ends at, beside which
// the temporary file goes, and keeps the link itself. Like the system, it
// follows at most 40 links; more, or a loop, fail the write.
fs::path final_target(fs::path path) {
    for (int links = 0;; ++links) {
        std::error_code ec;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            return path;
        }
        if (links == 40) {
            return {};
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
}

// Only a regular file is replaced, never a pipe, a device or a directory.
bool replaceable(const fs::path &target) {
    struct stat status;
    return stat(target.c_str(), &status) == 0 ? S_ISREG(status.st_mode) : errno == ENOENT;
}

// O_EXCL: a name that is taken is another writer's, never reused, and the new
// file never writes through a link or into a pipe found there.
File create_temporary(const fs::path &path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    File file(fdopen(fd, "wb"));
    if (!file) {
        close(fd);
    }
    return file;
}

// A rename is durable only once the directory that holds the name is on disk
// too, so a failed sync of it is a failed write.
bool sync_directory(const fs::path &directory) {
    const int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

bool rename_over(const fs::path &from, const fs::path &to) {
    return std::rename(from.c_str(), to.c_str()) == 0 && sync_directory(to.parent_path());
}

void remove_file(const fs::path &path) { unlink(path.c_str()); }

bool name_taken(const fs::path &path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

void remove_directory(const fs::path &path) { rmdir(path.c_str()); }

template <typename Visit> void each_name(const fs::path &directory, Visit visit) {
    DIR *const opened = opendir(directory.empty() ? "." : directory.c_str());
    if (opened == nullptr) {
        return;
    }
    while (const dirent *entry = readdir(opened)) {
        visit(std::string(entry->d_name));
    }
    closedir(opened);
}

#endif

// A write cut short by a crash leaves its temporary file behind; the next
// write of the target removes those whose writer is gone, and only those.
void remove_leftovers(const fs::path &directory, const std::string &stem) {
    each_name(directory, [&](const std::string &name) {
        std::uint32_t pid = 0;
        if (writer_of(name, stem, pid)) {
            remove_if_left_over(pid, name, [&] { remove_file(directory / fs::u8path(name)); });
        }
    });
}

// A new file beside the target, under the first temporary name that neither
// this process nor a file there has taken.
File create_beside(const fs::path &target, const std::string &stem, TemporaryName &claim,
                   fs::path &temporary) {
    const std::uint32_t pid = current_process_id();
    for (std::uint32_t number = 0; number < temporary_tries; ++number) {
        const std::string name = temporary_name(stem, pid, number);
        if (!claim.claim(name)) {
            continue;
        }
        temporary = target.parent_path() / fs::u8path(name);
        if (File file = create_temporary(temporary)) {
            return file;
        }
        if (!name_taken(temporary)) {
            return nullptr;
        }
    }
    return nullptr;
}

} // namespace

ReadResult read_file(const std::string &path, ByteBuffer &bytes) {
    bytes.reset();
    const RegularFile opened = open_regular_file(native_path(path));
    if (!opened.file) {
        return refusal(opened);
    }
    if (opened.size > SIZE_MAX || !bytes.allocate(static_cast<std::size_t>(opened.size))) {
        return ReadResult::read_failed;
    }
    if (std::fread(bytes.data(), 1, bytes.size(), opened.file.get()) != bytes.size()) {
        bytes.reset();
        return ReadResult::read_failed;
    }
    return ReadResult::ok;
}

ReadResult read_file_into(const std::string &path, void *buffer, std::size_t size) {
    const RegularFile opened = open_regular_file(native_path(path));
    if (!opened.file) {
        return refusal(opened);
    }
    std::fread(buffer, 1, size, opened.file.get());
    return std::ferror(opened.file.get()) ? ReadResult::read_failed : ReadResult::ok;
}

bool write_file_atomically(const std::string &path, const void *data, std::size_t size) {
    const fs::path native = native_path(path);
    const fs::path target = native.empty() ? native : final_target(native);
    if (target.empty() || !replaceable(target)) {
        return false;
    }
    const std::string stem = temporary_stem(target.filename().u8string());
    remove_leftovers(target.parent_path(), stem);
    TemporaryName claim;
    fs::path temporary;
    File file = create_beside(target, stem, claim, temporary);
    if (!file) {
        return false;
    }
    bool written = std::fwrite(data, 1, size, file.get()) == size && flush_to_disk(file.get());
    written = std::fclose(file.release()) == 0 && written;
    if (written && rename_over(temporary, target)) {
        return true;
    }
    remove_file(temporary);
    return false;
}

bool create_directories(const std::string &path) {
    const fs::path native = native_path(path);
    if (native.empty()) {
        return false;
    }
#ifdef _WIN32
    return make_directories(native.native());
#else
    std::error_code ec;
    fs::create_directories(native, ec);
    return !ec;
#endif
}

std::vector<std::string> directory_names(const std::string &path) {
    std::vector<std::string> names;
    const fs::path native = native_path(path);
    if (!native.empty()) {
        each_name(native, [&names](const std::string &name) {
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        });
    }
    return names;
}

void remove_file(const std::string &path) {
    const fs::path native = native_path(path);
    if (!native.empty()) {
        remove_file(native);
    }
}

void remove_empty_directory(const std::string &path) {
    const fs::path native = native_path(path);
    if (!native.empty()) {
        remove_directory(native);
    }
}

} // namespace tovarune
