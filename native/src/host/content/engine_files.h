#pragma once

#include "content/byte_buffer.h"
#include "content/file_io.h"

#include <string>
#include <vector>

namespace tovarune {

// What only the engine knows of a game's files. Scripts name files with the
// engine's resource paths too: res:// (the project folder, or the pack of an
// exported game) and user:// (the game's own data directory). The node
// answers through the engine; without it, every path is the system's own.
class EngineFiles {
public:
    // The engine's globalize_path: an absolute path on disk, or a relative one
    // for a file that lies inside an exported game's pack.
    virtual std::string globalize(const std::string &path) const = 0;
    // The directory of the running game's executable, beside which an export
    // ships the project's cores.
    virtual std::string executable_directory() const = 0;
    // The whole of a file inside the pack.
    virtual ReadResult read_packed(const std::string &path, ByteBuffer &bytes) const = 0;
    // The files under a directory of the pack, relative to it, '/'-separated.
    virtual std::vector<std::string> packed_files(const std::string &directory) const = 0;

protected:
    ~EngineFiles() = default;
};

} // namespace tovarune
