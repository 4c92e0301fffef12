#include "content/byte_buffer.h"
#include "content/file_io.h"
#include "content/resource_paths.h"
#include "core/core_call.h"
#include "player.h"

#include <cstring>
#include <string>

namespace tovarune {

namespace {

// Twice the memory of the largest console a core saves states of (a New
// Nintendo 3DS, 256 MiB): a core that asks for more is wrong, and the memory
// it would cost, again at every rewind snapshot, is the hosting game's.
constexpr std::size_t state_size_limit = std::size_t(512) << 20;

} // namespace

std::size_t Player::state_size() {
    if (!game_loaded_ || core_api_.retro_serialize_size == nullptr ||
        core_api_.retro_serialize == nullptr || CoreCall::under_way()) {
        return 0;
    }
    // Asked every time: a core's state size may change while it runs.
    const std::size_t size = call_core(core_api_.retro_serialize_size);
    if (size <= state_size_limit) {
        return size;
    }
    if (!told_of_state_size_) {
        told_of_state_size_ = true;
        log_core_line(RETRO_LOG_ERROR,
                      ("O core pediu " + std::to_string(size) +
                       " bytes para salvar o estado, mais que o limite de " +
                       std::to_string(state_size_limit >> 20) + " MiB: o estado nao e salvo.")
                          .c_str());
    }
    return 0;
}

bool Player::serialize_state(std::uint8_t *data, std::size_t size, bool zeroed) {
    // Bytes the core leaves unwritten are zero, whatever memory it was given.
    if (!zeroed) {
        std::memset(data, 0, size);
    }
    return call_core(core_api_.retro_serialize, data, size);
}

bool Player::save_state(const std::string &path) {
    const Lock held = lock();
    ByteBuffer state;
    const bool serialized = save_state_to(
        [&state](std::size_t size) { return state.allocate(size) ? state.data() : nullptr; }, true);
    // Never into a game's pack, which is read-only.
    return serialized &&
           write_file_atomically(locate(engine_files_, path).path, state.data(), state.size());
}

bool Player::load_state(const std::string &path) {
    const Lock held = lock();
    if (!game_loaded_ || core_api_.retro_unserialize == nullptr || CoreCall::under_way()) {
        return false;
    }
    const Location file = locate(engine_files_, path);
    ByteBuffer state;
    const ReadResult read =
        file.packed ? engine_files_->read_packed(path, state) : read_file(file.path, state);
    if (read != ReadResult::ok) {
        return false;
    }
    return load_state_from(state.data(), state.size());
}

bool Player::load_state_from(const std::uint8_t *data, std::size_t size) {
    const Lock held = lock();
    if (!game_loaded_ || core_api_.retro_unserialize == nullptr || data == nullptr || size == 0 ||
        CoreCall::under_way()) {
        return false;
    }
    return call_core(core_api_.retro_unserialize, data, size);
}

} // namespace tovarune
