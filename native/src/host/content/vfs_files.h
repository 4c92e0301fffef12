#pragma once

#include "content/engine_files.h"

#include <libretro.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace tovarune {

// The files and directories a core opens through libretro's VFS interface,
// for one player. Paths are UTF-8, '/'-separated: a path of the system's own,
// or an engine resource path; a file inside an exported game's pack is read
// through the engine, and cannot be written. Handles are checked against the
// ones this player gave out, so a stale or made-up handle only fails. Safe to
// call from any thread, as cores do.
class VfsFiles {
public:
    VfsFiles();
    ~VfsFiles();
    VfsFiles(const VfsFiles &) = delete;
    VfsFiles &operator=(const VfsFiles &) = delete;

    // How resource paths are found; null takes every path as the system's own.
    void set_engine_files(const EngineFiles *engine) { engine_ = engine; }

    // Each answers as libretro.h defines the function of the same name.
    retro_vfs_file_handle *open(const char *path, unsigned mode);
    int close(retro_vfs_file_handle *file);
    const char *path(retro_vfs_file_handle *file);
    std::int64_t size(retro_vfs_file_handle *file);
    std::int64_t tell(retro_vfs_file_handle *file);
    std::int64_t seek(retro_vfs_file_handle *file, std::int64_t offset, int whence);
    std::int64_t read(retro_vfs_file_handle *file, void *buffer, std::uint64_t length);
    std::int64_t write(retro_vfs_file_handle *file, const void *buffer, std::uint64_t length);
    int flush(retro_vfs_file_handle *file);
    std::int64_t truncate(retro_vfs_file_handle *file, std::int64_t length);
    int remove(const char *path);
    int rename(const char *old_path, const char *new_path);
    int stat(const char *path, std::int32_t *size);
    int mkdir(const char *path);
    retro_vfs_dir_handle *opendir(const char *path, bool include_hidden);
    bool readdir(retro_vfs_dir_handle *directory);
    const char *dirent_name(retro_vfs_dir_handle *directory);
    bool dirent_is_dir(retro_vfs_dir_handle *directory);
    int closedir(retro_vfs_dir_handle *directory);

    // Closes whatever the core left open (when the core goes).
    void close_all();

private:
    retro_vfs_file_handle *find(retro_vfs_file_handle *file) const;
    retro_vfs_dir_handle *find(retro_vfs_dir_handle *directory) const;

    mutable std::mutex mutex_;
    const EngineFiles *engine_ = nullptr;
    std::unordered_map<retro_vfs_file_handle *, std::unique_ptr<retro_vfs_file_handle>> files_;
    std::unordered_map<retro_vfs_dir_handle *, std::unique_ptr<retro_vfs_dir_handle>> directories_;
};

} // namespace tovarune
