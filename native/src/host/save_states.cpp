#include "byte_buffer.h"
#include "core_call.h"
#include "file_io.h"
#include "player.h"

namespace tovarune {

bool Player::save_state(const std::string &path) {
    if (!game_loaded_ || core_api_.retro_serialize_size == nullptr ||
        core_api_.retro_serialize == nullptr || CoreCall::under_way()) {
        return false;
    }
    // Asked every time: a core's state size may change while it runs.
    const std::size_t size = call_core(core_api_.retro_serialize_size);
    if (size == 0) {
        return false;
    }
    ByteBuffer state;
    if (!state.allocate(size) || !call_core(core_api_.retro_serialize, state.data(), size)) {
        return false;
    }
    return write_file_atomically(path, state.data(), size);
}

bool Player::load_state(const std::string &path) {
    if (!game_loaded_ || core_api_.retro_unserialize == nullptr || CoreCall::under_way()) {
        return false;
    }
    ByteBuffer state;
    if (read_file(path, state) != ReadResult::ok || state.empty()) {
        return false;
    }
    return call_core(core_api_.retro_unserialize, state.data(), state.size());
}

} // namespace tovarune
