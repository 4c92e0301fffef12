#include "core/core_call.h"
#include "player.h"

#include <libretro.h>

namespace tovarune {

// Port 0 is connected by load_game, as ever. Another port is connected the
// first time a script gives it input during a game, so that a game nobody
// plays with more than one joypad sees no other calls. A port that has had
// input is connected again by each later load_game, since its buttons may still
// be held.

void Player::set_port_button(std::int32_t port, std::int32_t button_id, bool pressed) {
    const Lock held = lock();
    if (joypads_.set_button(port, button_id, pressed)) {
        connect_port(port);
    }
}

void Player::set_analog(std::int32_t port, std::int32_t stick, double x, double y) {
    const Lock held = lock();
    if (joypads_.set_analog(port, stick, x, y)) {
        connect_port(port);
    }
}

void Player::connect_port(std::int32_t port) {
    const unsigned bit = 1u << port;
    if (port == 0 || !game_loaded_ || (connected_ports_ & bit) != 0) {
        return;
    }
    connected_ports_ |= bit;
    if (set_controller_port_device_ != nullptr) {
        call_core(set_controller_port_device_, static_cast<unsigned>(port),
                  static_cast<unsigned>(RETRO_DEVICE_JOYPAD));
    }
}

} // namespace tovarune
