#include "file_io.h"
#include "native_path.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tovarune {

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File open_file(const fs::path &path, bool for_writing) {
    if (path.empty()) {
        return nullptr;
    }
#ifdef _WIN32
    return File(_wfopen(path.c_str(), for_writing ? L"wb" : L"rb"));
#else
    return File(std::fopen(path.c_str(), for_writing ? "wb" : "rb"));
#endif
}

ReadResult open_failure(const fs::path &path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    return status.type() == fs::file_type::not_found ? ReadResult::not_found
                                                     : ReadResult::open_failed;
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

// A rename is durable only once the directory that holds the name is on disk
// too. Windows has no such step: its replace stays as it is.
bool sync_directory(const fs::path &directory) {
#ifdef _WIN32
    static_cast<void>(directory);
    return true;
#else
    const int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
#endif
}

} // namespace

ReadResult read_file(const std::string &path, ByteBuffer &bytes) {
    bytes.reset();
    const fs::path native = native_path(path);
    File file = open_file(native, false);
    if (!file) {
        return open_failure(native);
    }
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(native, ec);
    if (ec || size > SIZE_MAX || !bytes.allocate(static_cast<std::size_t>(size))) {
        return ReadResult::read_failed;
    }
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        bytes.reset();
        return ReadResult::read_failed;
    }
    return ReadResult::ok;
}

ReadResult read_file_into(const std::string &path, void *buffer, std::size_t size) {
    const fs::path native = native_path(path);
    File file = open_file(native, false);
    if (!file) {
        return open_failure(native);
    }
    std::fread(buffer, 1, size, file.get());
    return std::ferror(file.get()) ? ReadResult::read_failed : ReadResult::ok;
}

bool write_file_atomically(const std::string &path, const void *data, std::size_t size) {
    const fs::path target = native_path(path);
    if (target.empty()) {
        return false;
    }
    fs::path temporary = target;
    temporary += ".tovarune-tmp";
    File file = open_file(temporary, true);
    if (!file) {
        return false;
    }
    bool written = std::fwrite(data, 1, size, file.get()) == size && flush_to_disk(file.get());
    written = std::fclose(file.release()) == 0 && written;
    std::error_code ec;
    if (written) {
        fs::rename(temporary, target, ec);
        if (!ec) {
            return sync_directory(target.parent_path());
        }
    }
    fs::remove(temporary, ec);
    return false;
}

bool create_directories(const std::string &path) {
    const fs::path native = native_path(path);
    if (native.empty()) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(native, ec);
    return !ec;
}

} // namespace tovarune
