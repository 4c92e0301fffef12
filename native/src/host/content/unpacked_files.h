#pragma once

#include "content/byte_buffer.h"
#include "content/engine_files.h"

#include <string>

namespace tovarune {

// Copies on disk of files inside an exported game's pack, for cores that open
// files themselves: a game that a core reads by its path, and the system files
// (BIOS images) that it looks up in its system directory.

// The game's bytes as `<directory>/<hash of the bytes>/<name>`: written
// atomically, unless a copy of the same bytes is there already; the copies of
// `name` that hold other bytes go. The copy's path; empty when it cannot be
// written.
std::string unpack_game(const std::string &directory, const std::string &name,
                        const ByteBuffer &bytes);

// Every file under the packed directory, with the same relative names, into
// `<root>/<hash of the packed path>`, each written only when it is missing or
// differs; that directory is returned. A file that cannot be read or written
// is left out, as a core then finds it missing.
std::string unpack_directory(const EngineFiles &engine, const std::string &packed,
                             const std::string &root);

} // namespace tovarune
