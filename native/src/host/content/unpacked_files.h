#pragma once

#include "content/byte_buffer.h"
#include "content/engine_files.h"

#include <string>

namespace tovarune {

// Copies on disk of files inside an exported game's pack, for cores that open
// files themselves: a game that a core reads by its path, with the files it
// names, and the system files (BIOS images) that it looks up in its system
// directory.

// A copy of a game that a living player's core may have open. Claims are
// process-wide; a claimed copy is never removed.
class UnpackedGameClaim {
public:
    UnpackedGameClaim() = default;
    ~UnpackedGameClaim() { release(); }
    UnpackedGameClaim(const UnpackedGameClaim &) = delete;
    UnpackedGameClaim &operator=(const UnpackedGameClaim &) = delete;

    void release();

private:
    friend std::string unpack_game(const EngineFiles &, const std::string &, const std::string &,
                                   const ByteBuffer &, UnpackedGameClaim &);
    std::string directory_;
};

// The packed game at `packed` (its bytes in `bytes`) as
// `<directory>/<hash of packed>/<hash of bytes>/<name>`, with the files that
// it names as an index (a cue sheet's tracks, a playlist's discs and theirs,
// see disc_index.h) beside it under their names relative to the game's
// folder; names that leave that folder, and files missing from the pack, are
// left out (the core then finds them missing). At most 64 files, each read
// and written on its own. Each is written atomically, unless a copy of the
// same bytes is there already. `claim` holds the copy; the other copies of
// the same packed game that no claim holds go (the game changed since). The
// game's path; empty when it cannot be written.
std::string unpack_game(const EngineFiles &engine, const std::string &directory,
                        const std::string &packed, const ByteBuffer &bytes,
                        UnpackedGameClaim &claim);

// Every file under the packed directory, with the same relative names, into
// `<root>/<hash of the packed path>`, each written only when it is missing or
// differs; that directory is returned. A file that cannot be read or written
// is left out, as a core then finds it missing.
std::string unpack_directory(const EngineFiles &engine, const std::string &packed,
                             const std::string &root);

} // namespace tovarune
