#include "content/regular_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tovarune {

#ifdef _WIN32

RegularFile open_regular_file(const std::filesystem::path &path) {
    RegularFile opened;
    if (path.empty()) {
        opened.missing = true;
        return opened;
    }
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open at all.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        opened.missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return opened;
    }
    LARGE_INTEGER size;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
        CloseHandle(handle);
        return opened;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return opened;
    }
    opened.file.reset(_fdopen(fd, "rb"));
    if (!opened.file) {
        _close(fd);
        return opened;
    }
    opened.size = static_cast<std::uint64_t>(size.QuadPart);
    return opened;
}

#else

RegularFile open_regular_file(const std::filesystem::path &path) {
    RegularFile opened;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        struct stat link;
        opened.missing = (errno == ENOENT || errno == ENOTDIR) && lstat(path.c_str(), &link) != 0;
        return opened;
    }
    struct stat status;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return opened;
    }
    opened.file.reset(fdopen(fd, "rb"));
    if (!opened.file) {
        close(fd);
        return opened;
    }
    opened.size = static_cast<std::uint64_t>(status.st_size);
    return opened;
}

#endif

} // namespace tovarune
