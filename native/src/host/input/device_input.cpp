#include "core/core_call.h"
#include "player.h"

namespace tovarune {

// What scripts give the devices besides the joypads (controller_ports.cpp).

void Player::add_mouse_motion(std::int32_t port, double dx, double dy) {
    const Lock held = lock();
    input_.mice.add_motion(port, dx, dy);
}

void Player::set_mouse_button(std::int32_t port, std::int32_t button_id, bool pressed) {
    const Lock held = lock();
    input_.mice.set_button(port, button_id, pressed);
}

void Player::add_mouse_wheel(std::int32_t port, std::int32_t vertical, std::int32_t horizontal) {
    const Lock held = lock();
    input_.mice.add_wheel(port, vertical, horizontal);
}

void Player::set_pointer(std::int32_t port, std::int32_t touch, double x, double y, bool pressed) {
    const Lock held = lock();
    input_.pointers.set_touch(port, touch, x, y, pressed);
}

void Player::release_pointers(std::int32_t port) {
    const Lock held = lock();
    input_.pointers.release(port);
}

void Player::set_lightgun_position(std::int32_t port, double x, double y) {
    const Lock held = lock();
    input_.lightguns.set_position(port, x, y);
}

void Player::set_lightgun_button(std::int32_t port, std::int32_t button_id, bool pressed) {
    const Lock held = lock();
    input_.lightguns.set_button(port, button_id, pressed);
}

void Player::set_key(std::int32_t keycode, bool pressed, std::uint32_t character,
                     std::uint16_t modifiers) {
    const Lock held = lock();
    if (!Keyboard::known(keycode)) {
        return;
    }
    input_.keyboard.set_key(keycode, pressed);
    // Only a running game hears of keys, and never from inside its own call.
    const retro_keyboard_event_t event = input_.keyboard.callback();
    if (event != nullptr && game_loaded_ && !CoreCall::under_way()) {
        call_core(event, pressed, static_cast<unsigned>(keycode), character, modifiers);
    }
}

} // namespace tovarune
