#include "core/callbacks.h"
#include "player.h"

namespace tovarune {

void input_poll_callback(Player &player) { player.poll_input(); }

int16_t input_state_callback(Player &player, unsigned port, unsigned device, unsigned index,
                             unsigned id) {
    return player.input_state(port, device, index, id);
}

void Player::poll_input() {
    input_.poll(av_info_.geometry.base_width, av_info_.geometry.base_height);
}

std::int16_t Player::input_state(unsigned port, unsigned device, unsigned index, unsigned id) {
    if (!input_.polled) {
        poll_input();
    }
    return input_.query(port, device, index, id);
}

} // namespace tovarune
