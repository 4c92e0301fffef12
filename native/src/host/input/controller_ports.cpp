#include "core/core_call.h"
#include "player.h"

#include <libretro.h>

#include <limits>

namespace tovarune {

// Port 0 is connected by load_game, as ever. Another port is connected the
// first time a script gives it joypad input during a game, so that a game
// nobody plays with more than one joypad sees no other calls. A port that has
// had input is connected again by each later load_game, since its buttons may
// still be held. A port whose device a script chose is told that device
// instead: at once while a game runs, and after each load_game.

void Player::set_port_button(std::int32_t port, std::int32_t button_id, bool pressed) {
    const Lock held = lock();
    if (input_.joypads.set_button(port, button_id, pressed)) {
        connect_port(port);
    }
}

void Player::set_analog(std::int32_t port, std::int32_t stick, double x, double y) {
    const Lock held = lock();
    if (input_.joypads.set_analog(port, stick, x, y)) {
        connect_port(port);
    }
}

void Player::set_analog_button(std::int32_t port, std::int32_t button_id, double value) {
    const Lock held = lock();
    if (input_.joypads.set_analog_button(port, button_id, value)) {
        connect_port(port);
    }
}

void Player::connect_port(std::int32_t port) {
    const unsigned bit = 1u << port;
    // A port with a chosen device was told it, and counts as connected.
    if (port == 0 || !game_loaded_ || (connected_ports_ & bit) != 0) {
        return;
    }
    tell_port_device(port, RETRO_DEVICE_JOYPAD);
}

void Player::tell_port_device(std::int32_t port, unsigned device) {
    connected_ports_ |= 1u << port;
    if (set_controller_port_device_ != nullptr) {
        call_core(set_controller_port_device_, static_cast<unsigned>(port), device);
    }
}

void Player::connect_ports_after_load() {
    connected_ports_ = 0;
    for (std::int32_t port = 0; port < input_port_count; ++port) {
        if (const std::optional<unsigned> chosen =
                input_.chosen_devices[static_cast<std::size_t>(port)]) {
            tell_port_device(port, *chosen);
        } else if (port == 0) {
            tell_port_device(0, RETRO_DEVICE_JOYPAD);
        } else if (input_.joypads.used(port)) {
            connect_port(port);
        }
    }
}

bool Player::set_port_device(std::int32_t port, std::int64_t device) {
    const Lock held = lock();
    if (!in_range(port, input_port_count) || device < 0 ||
        device > std::numeric_limits<unsigned>::max()) {
        return false;
    }
    const auto id = static_cast<unsigned>(device);
    if (id > RETRO_DEVICE_POINTER && !input_.controllers.lists(port, id)) {
        return false;
    }
    input_.chosen_devices[static_cast<std::size_t>(port)] = id;
    // From inside a core's call the core hears of it at the next load_game.
    if (game_loaded_ && !CoreCall::under_way()) {
        tell_port_device(port, id);
    }
    return true;
}

unsigned Player::port_device(std::int32_t port) const {
    const Lock held = lock();
    if (!in_range(port, input_port_count)) {
        return RETRO_DEVICE_NONE;
    }
    return input_.chosen_devices[static_cast<std::size_t>(port)].value_or(RETRO_DEVICE_JOYPAD);
}

std::vector<ControllerType> Player::controller_types(std::int32_t port) const {
    const Lock held = lock();
    return input_.controllers.types(port);
}

std::vector<InputDescriptor> Player::input_descriptors() const {
    const Lock held = lock();
    return input_.descriptors;
}

} // namespace tovarune
