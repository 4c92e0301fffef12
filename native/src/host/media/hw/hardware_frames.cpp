#include "player.h"

#include <algorithm>

namespace tovarune {

// Before the first frame of a game and before each one after: the framebuffer
// the core draws into, at the game's largest geometry, and the core's
// context_reset the first time its context is ready.
bool Player::prepare_hardware_render() {
    const retro_game_geometry &geometry = av_info_.geometry;
    retro_hw_context_reset_t reset = nullptr;
    if (!hardware_render_->prepare(std::max(geometry.max_width, geometry.base_width),
                                   std::max(geometry.max_height, geometry.base_height), reset)) {
        return false;
    }
    if (reset != nullptr) {
        call_core(reset);
    }
    return true;
}

} // namespace tovarune
