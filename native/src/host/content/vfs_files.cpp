#include "content/vfs_files.h"

#include "content/native_path.h"
#include "content/resource_paths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/types.h>
#include <unistd.h>
#endif

// The handles libretro.h leaves opaque: a file on disk, or the bytes of one
// inside the engine's pack.
struct retro_vfs_file_handle {
    std::string path;
    std::FILE *file = nullptr;
    tovarune::ByteBuffer packed;
    std::uint64_t position = 0; // in `packed`
};

struct retro_vfs_dir_handle {
    std::vector<std::pair<std::string, bool>> entries; // name, is a directory
    std::size_t next = 0;
};

namespace tovarune {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t largest =
    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

// The stdio mode of a libretro access mode; null for none.
const char *stdio_mode(unsigned mode) {
    const bool update = (mode & RETRO_VFS_FILE_ACCESS_UPDATE_EXISTING) != 0;
    switch (mode & RETRO_VFS_FILE_ACCESS_READ_WRITE) {
    case RETRO_VFS_FILE_ACCESS_READ:
        return "rb";
    case RETRO_VFS_FILE_ACCESS_WRITE:
        return update ? "r+b" : "wb";
    case RETRO_VFS_FILE_ACCESS_READ_WRITE:
        return update ? "r+b" : "w+b";
    default:
        return nullptr;
    }
}

std::FILE *open_native(const fs::path &path, const char *mode) {
#ifdef _WIN32
    const std::wstring wide(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wide.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

int seek_native(std::FILE *file, std::int64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(file, offset, whence);
#else
    return fseeko(file, static_cast<off_t>(offset), whence);
#endif
}

std::int64_t tell_native(std::FILE *file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return ftello(file);
#endif
}

bool truncate_native(std::FILE *file, std::int64_t length) {
#ifdef _WIN32
    return _chsize_s(_fileno(file), length) == 0;
#else
    return ftruncate(fileno(file), static_cast<off_t>(length)) == 0;
#endif
}

bool hidden(const std::string &name) { return !name.empty() && name[0] == '.'; }

} // namespace

VfsFiles::VfsFiles() = default;

VfsFiles::~VfsFiles() { close_all(); }

retro_vfs_file_handle *VfsFiles::find(retro_vfs_file_handle *file) const {
    return files_.count(file) != 0 ? file : nullptr;
}

retro_vfs_dir_handle *VfsFiles::find(retro_vfs_dir_handle *directory) const {
    return directories_.count(directory) != 0 ? directory : nullptr;
}

retro_vfs_file_handle *VfsFiles::open(const char *path, unsigned mode) {
    const char *how = stdio_mode(mode);
    if (path == nullptr || how == nullptr) {
        return nullptr;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    auto handle = std::make_unique<retro_vfs_file_handle>();
    handle->path = path;
    const Location where = locate(engine_, path);
    if (where.packed) {
        // The pack is read-only.
        if (mode != RETRO_VFS_FILE_ACCESS_READ ||
            engine_->read_packed(where.path, handle->packed) != ReadResult::ok) {
            return nullptr;
        }
    } else {
        const fs::path native = native_path(where.path);
        std::error_code ec;
        // stdio opens a directory for reading; libretro wants that refused.
        if (native.empty() || fs::is_directory(native, ec)) {
            return nullptr;
        }
        handle->file = open_native(native, how);
        if (handle->file == nullptr) {
            return nullptr;
        }
    }
    retro_vfs_file_handle *opened = handle.get();
    files_.emplace(opened, std::move(handle));
    return opened;
}

int VfsFiles::close(retro_vfs_file_handle *file) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto it = files_.find(file);
    if (it == files_.end()) {
        return -1;
    }
    const bool closed = it->second->file == nullptr || std::fclose(it->second->file) == 0;
    files_.erase(it);
    return closed ? 0 : -1;
}

const char *VfsFiles::path(retro_vfs_file_handle *file) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return find(file) != nullptr ? file->path.c_str() : nullptr;
}

std::int64_t VfsFiles::size(retro_vfs_file_handle *file) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(file) == nullptr) {
        return -1;
    }
    if (file->file == nullptr) {
        return static_cast<std::int64_t>(file->packed.size());
    }
    const std::int64_t at = tell_native(file->file);
    if (at < 0 || seek_native(file->file, 0, SEEK_END) != 0) {
        return -1;
    }
    const std::int64_t end = tell_native(file->file);
    return seek_native(file->file, at, SEEK_SET) == 0 ? end : -1;
}

std::int64_t VfsFiles::tell(retro_vfs_file_handle *file) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(file) == nullptr) {
        return -1;
    }
    return file->file == nullptr ? static_cast<std::int64_t>(file->position)
                                 : tell_native(file->file);
}

std::int64_t VfsFiles::seek(retro_vfs_file_handle *file, std::int64_t offset, int whence) {
    static constexpr int whences[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(file) == nullptr || whence < RETRO_VFS_SEEK_POSITION_START ||
        whence > RETRO_VFS_SEEK_POSITION_END) {
        return -1;
    }
    if (file->file != nullptr) {
        return seek_native(file->file, offset, whences[whence]) == 0 ? tell_native(file->file) : -1;
    }
    const std::int64_t base = whence == RETRO_VFS_SEEK_POSITION_START ? 0
                              : whence == RETRO_VFS_SEEK_POSITION_CURRENT
                                  ? static_cast<std::int64_t>(file->position)
                                  : static_cast<std::int64_t>(file->packed.size());
    // Neither before the start nor past what a position can hold.
    if (offset < -base ||
        (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset)) {
        return -1;
    }
    file->position = static_cast<std::uint64_t>(base + offset);
    return base + offset;
}

std::int64_t VfsFiles::read(retro_vfs_file_handle *file, void *buffer, std::uint64_t length) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(file) == nullptr || (buffer == nullptr && length != 0)) {
        return -1;
    }
    length = std::min(length, largest);
    if (file->file != nullptr) {
        // In pieces: the system refuses a read as large as a core may ask for
        // "the rest of the file".
        constexpr std::uint64_t piece = 1 << 20;
        std::uint64_t got = 0;
        while (got < length) {
            const std::size_t wanted = static_cast<std::size_t>(std::min(piece, length - got));
            const std::size_t part =
                std::fread(static_cast<std::uint8_t *>(buffer) + got, 1, wanted, file->file);
            got += part;
            if (part < wanted) {
                return std::ferror(file->file) ? -1 : static_cast<std::int64_t>(got);
            }
        }
        return static_cast<std::int64_t>(got);
    }
    const std::uint64_t size = file->packed.size();
    const std::uint64_t left = file->position < size ? size - file->position : 0;
    const std::uint64_t got = std::min(length, left);
    if (got != 0) {
        std::memcpy(buffer, file->packed.data() + file->position, static_cast<std::size_t>(got));
    }
    file->position += got;
    return static_cast<std::int64_t>(got);
}

std::int64_t VfsFiles::write(retro_vfs_file_handle *file, const void *buffer,
                             std::uint64_t length) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(file) == nullptr || file->file == nullptr || (buffer == nullptr && length != 0)) {
        return -1;
    }
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>({length, largest, SIZE_MAX}));
    const std::size_t put = std::fwrite(buffer, 1, wanted, file->file);
    return put < wanted && std::ferror(file->file) ? -1 : static_cast<std::int64_t>(put);
}

int VfsFiles::flush(retro_vfs_file_handle *file) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(file) == nullptr) {
        return -1;
    }
    return file->file == nullptr || std::fflush(file->file) == 0 ? 0 : -1;
}

std::int64_t VfsFiles::truncate(retro_vfs_file_handle *file, std::int64_t length) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(file) == nullptr || file->file == nullptr || length < 0 ||
        std::fflush(file->file) != 0) {
        return -1;
    }
    return truncate_native(file->file, length) ? 0 : -1;
}

int VfsFiles::remove(const char *path) {
    if (path == nullptr) {
        return -1;
    }
    const Location where = locate(engine_, path);
    const fs::path native = where.packed ? fs::path() : native_path(where.path);
    std::error_code ec;
    return !native.empty() && fs::remove(native, ec) ? 0 : -1;
}

int VfsFiles::rename(const char *old_path, const char *new_path) {
    if (old_path == nullptr || new_path == nullptr) {
        return -1;
    }
    const Location from = locate(engine_, old_path), to = locate(engine_, new_path);
    if (from.packed || to.packed) {
        return -1;
    }
    const fs::path source = native_path(from.path), target = native_path(to.path);
    std::error_code ec;
    if (source.empty() || target.empty()) {
        return -1;
    }
    fs::rename(source, target, ec);
    return ec ? -1 : 0;
}

int VfsFiles::stat(const char *path, std::int32_t *size) {
    if (path == nullptr) {
        return 0;
    }
    std::uint64_t bytes = 0;
    int flags = 0;
    const Location where = locate(engine_, path);
    if (where.packed) {
        ByteBuffer packed;
        if (engine_->read_packed(where.path, packed) == ReadResult::ok) {
            flags = RETRO_VFS_STAT_IS_VALID;
            bytes = packed.size();
        } else if (!engine_->packed_files(where.path).empty()) {
            flags = RETRO_VFS_STAT_IS_VALID | RETRO_VFS_STAT_IS_DIRECTORY;
        }
    } else {
        const fs::path native = native_path(where.path);
        std::error_code ec;
        const fs::file_status status = fs::status(native, ec);
        if (!native.empty() && !ec && fs::exists(status)) {
            flags = RETRO_VFS_STAT_IS_VALID;
            if (fs::is_directory(status)) {
                flags |= RETRO_VFS_STAT_IS_DIRECTORY;
            } else if (fs::is_character_file(status)) {
                flags |= RETRO_VFS_STAT_IS_CHARACTER_SPECIAL;
            } else if (fs::is_regular_file(status)) {
                bytes = fs::file_size(native, ec);
                bytes = ec ? 0 : bytes;
            }
        }
    }
    if (size != nullptr && flags != 0) {
        // The field is 32 bits wide: larger files read as the largest size it holds.
        *size = static_cast<std::int32_t>(std::min<std::uint64_t>(bytes, INT32_MAX));
    }
    return flags;
}

int VfsFiles::mkdir(const char *path) {
    if (path == nullptr) {
        return -1;
    }
    const Location where = locate(engine_, path);
    const fs::path native = where.packed ? fs::path() : native_path(where.path);
    std::error_code ec;
    if (native.empty()) {
        return -1;
    }
    if (fs::create_directory(native, ec)) {
        return 0;
    }
    return !ec && fs::is_directory(native, ec) ? -2 : -1;
}

retro_vfs_dir_handle *VfsFiles::opendir(const char *path, bool include_hidden) {
    if (path == nullptr) {
        return nullptr;
    }
    auto handle = std::make_unique<retro_vfs_dir_handle>();
    const Location where = locate(engine_, path);
    if (where.packed) {
        // The pack lists every file below; the first name of each is an entry.
        std::set<std::pair<std::string, bool>> entries;
        for (const std::string &file : engine_->packed_files(where.path)) {
            const std::size_t slash = file.find('/');
            entries.emplace(file.substr(0, slash), slash != std::string::npos);
        }
        if (entries.empty()) {
            return nullptr;
        }
        handle->entries.assign(entries.begin(), entries.end());
    } else {
        const fs::path native = native_path(where.path);
        std::error_code ec;
        fs::directory_iterator it(native, ec);
        if (native.empty() || ec) {
            return nullptr;
        }
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code kind;
            handle->entries.emplace_back(it->path().filename().u8string(), it->is_directory(kind));
        }
    }
    if (!include_hidden) {
        auto &entries = handle->entries;
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [](const auto &entry) { return hidden(entry.first); }),
                      entries.end());
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    retro_vfs_dir_handle *opened = handle.get();
    directories_.emplace(opened, std::move(handle));
    return opened;
}

bool VfsFiles::readdir(retro_vfs_dir_handle *directory) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(directory) == nullptr || directory->next >= directory->entries.size()) {
        return false;
    }
    ++directory->next;
    return true;
}

const char *VfsFiles::dirent_name(retro_vfs_dir_handle *directory) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (find(directory) == nullptr || directory->next == 0) {
        return nullptr;
    }
    return directory->entries[directory->next - 1].first.c_str();
}

bool VfsFiles::dirent_is_dir(retro_vfs_dir_handle *directory) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return find(directory) != nullptr && directory->next != 0 &&
           directory->entries[directory->next - 1].second;
}

int VfsFiles::closedir(retro_vfs_dir_handle *directory) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return directories_.erase(directory) != 0 ? 0 : -1;
}

void VfsFiles::close_all() {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (auto &entry : files_) {
        if (entry.second->file != nullptr) {
            std::fclose(entry.second->file);
        }
    }
    files_.clear();
    directories_.clear();
}

} // namespace tovarune
