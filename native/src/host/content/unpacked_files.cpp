#include "content/unpacked_files.h"
#include "content/content_hash.h"
#include "content/disc_index.h"
#include "content/file_io.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>

namespace tovarune {

namespace {

// Copies that living players' games use. The mutex also spans the removal of
// stale copies, so that no copy is claimed while it goes.
std::mutex claims_mutex;
std::multiset<std::string> claimed;

constexpr std::size_t most_files = 64;

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

// A copy holds only the files and folders written here.
void remove_tree(const std::string &path) {
    for (const std::string &name : directory_names(path)) {
        remove_tree(path + "/" + name);
    }
    remove_file(path);
    remove_empty_directory(path);
}

std::string folder_of(const std::string &name) {
    const std::size_t cut = name.find_last_of('/');
    return cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
}

// The files the game names, and those they name, into `copy`.
void unpack_named_files(const EngineFiles &engine, const std::string &packed_folder,
                        const std::string &copy, const std::string &game_name,
                        const ByteBuffer &game_bytes) {
    std::set<std::string> seen{game_name};
    std::vector<std::string> names;
    const auto add_named = [&](const std::string &index, const ByteBuffer &bytes) {
        for (const std::string &named : named_files(index, bytes)) {
            const std::string name = inside_folder(folder_of(index) + named);
            if (!name.empty() && seen.size() < most_files && seen.insert(name).second) {
                names.push_back(name);
            }
        }
    };
    add_named(game_name, game_bytes);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = names[i]; // kept while names grow
        ByteBuffer bytes;
        if (engine.read_packed(packed_folder + name, bytes) == ReadResult::ok &&
            write_copy(copy + "/" + name, bytes)) {
            add_named(name, bytes);
        }
    }
}

} // namespace

void UnpackedGameClaim::release() {
    if (directory_.empty()) {
        return;
    }
    const std::lock_guard<std::mutex> lock(claims_mutex);
    claimed.erase(claimed.find(directory_));
    directory_.clear();
}

std::string unpack_game(const EngineFiles &engine, const std::string &directory,
                        const std::string &packed, const ByteBuffer &bytes,
                        UnpackedGameClaim &claim) {
    const std::size_t cut = packed.find_last_of('/') + 1;
    const std::string name = packed.substr(cut);
    const std::string game_folder = directory + "/" + content_hash(packed.data(), packed.size());
    const std::string hash = content_hash(bytes.data(), bytes.size());
    const std::string copy = game_folder + "/" + hash;
    claim.release();
    {
        const std::lock_guard<std::mutex> lock(claims_mutex);
        claimed.insert(copy);
        claim.directory_ = copy;
    }
    if (!write_copy(copy + "/" + name, bytes)) {
        claim.release();
        return {};
    }
    unpack_named_files(engine, packed.substr(0, cut), copy, name, bytes);
    // The same game, changed since: its older copies are of no more use,
    // unless a living player's core still has one.
    const std::lock_guard<std::mutex> lock(claims_mutex);
    for (const std::string &other : directory_names(game_folder)) {
        if (other != hash && claimed.count(game_folder + "/" + other) == 0) {
            remove_tree(game_folder + "/" + other);
        }
    }
    return copy + "/" + name;
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
