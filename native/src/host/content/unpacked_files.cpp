#include "content/unpacked_files.h"
#include "content/content_hash.h"
#include "content/file_io.h"

#include <cstdint>
#include <cstring>

namespace tovarune {

namespace {

bool holds(const std::string &path, const ByteBuffer &bytes) {
    ByteBuffer existing;
    return read_file(path, existing) == ReadResult::ok && existing.size() == bytes.size() &&
           std::memcmp(existing.data(), bytes.data(), bytes.size()) == 0;
}

// Written in place of whatever is there, through a temporary file, so that
// nothing half-written is ever taken for a copy.
bool write_copy(const std::string &path, const ByteBuffer &bytes) {
    if (holds(path, bytes)) {
        return true;
    }
    return create_directories(path.substr(0, path.find_last_of("/\\"))) &&
           write_file_atomically(path, bytes.data(), bytes.size());
}

} // namespace

std::string unpack_game(const std::string &directory, const std::string &name,
                        const ByteBuffer &bytes) {
    const std::string hash = content_hash(bytes.data(), bytes.size());
    const std::string copy = directory + "/" + hash + "/" + name;
    if (!write_copy(copy, bytes)) {
        return {};
    }
    // The same game, changed since: its older copies are of no more use.
    for (const std::string &other : directory_names(directory)) {
        if (other != hash) {
            remove_file(directory + "/" + other + "/" + name);
            remove_empty_directory(directory + "/" + other);
        }
    }
    return copy;
}

std::string unpack_directory(const EngineFiles &engine, const std::string &packed,
                             const std::string &root) {
    const std::string directory = root + "/" + content_hash(packed.data(), packed.size());
    create_directories(directory);
    for (const std::string &name : engine.packed_files(packed)) {
        ByteBuffer bytes;
        if (engine.read_packed(packed + "/" + name, bytes) == ReadResult::ok) {
            write_copy(directory + "/" + name, bytes);
        }
    }
    return directory;
}

} // namespace tovarune
