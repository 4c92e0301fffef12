#include "file_io.h"
#include "native_path.h"
#include "regular_file.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
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

// The temporary file of a target has one fixed name, so a write cut short by a
// crash leaves at most one behind, and the next write of the target reuses it.
// A name near the file system's limit (255, counted in UTF-8 bytes, which is
// also the stricter count for Windows names under Wine) keeps its start and
// ends in a hash of the whole name instead, which keeps it unique.
fs::path temporary_for(const fs::path &target) {
    constexpr std::size_t name_limit = 255;
    const std::string suffix = ".tovarune-tmp";
    const std::string name = target.filename().u8string();
    if (name.size() + suffix.size() <= name_limit) {
        return target.parent_path() / fs::u8path(name + suffix);
    }
    std::uint64_t hash = 14695981039346656037u; // FNV-1a
    for (const char byte : name) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211u;
    }
    std::string tag = "~";
    for (int shift = 60; shift >= 0; shift -= 4) {
        tag += "0123456789abcdef"[(hash >> shift) & 0xF];
    }
    std::size_t keep = name_limit - tag.size() - suffix.size();
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
        --keep; // not in the middle of a character
    }
    return target.parent_path() / fs::u8path(name.substr(0, keep) + tag + suffix);
}

#ifdef _WIN32

fs::path final_target(const fs::path &path) { return path; }

// A file in the way is replaced; a directory is not.
bool replaceable(const fs::path &target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

File create_temporary(const fs::path &path) { return File(_wfopen(path.c_str(), L"wb")); }

bool rename_over(const fs::path &from, const fs::path &to) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void remove_file(const fs::path &path) { DeleteFileW(path.c_str()); }

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
// the temporary file goes, and keeps the link itself.
fs::path final_target(fs::path path) {
    for (int links = 0; links < 40; ++links) {
        std::error_code ec;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            return path;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return {}; // a loop of links
}

// Only a regular file is replaced, never a pipe, a device or a directory.
bool replaceable(const fs::path &target) {
    struct stat status;
    return stat(target.c_str(), &status) == 0 ? S_ISREG(status.st_mode) : errno == ENOENT;
}

// Whatever a crash left under the temporary name goes first, so that the
// new file never writes through a link or into a pipe found there.
File create_temporary(const fs::path &path) {
    unlink(path.c_str());
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

#endif

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
    const fs::path temporary = temporary_for(target);
    File file = create_temporary(temporary);
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

} // namespace tovarune
