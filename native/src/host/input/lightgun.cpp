#include "input/lightgun.h"

#include "input/screen_space.h"

#include <libretro.h>

#include <cmath>

namespace tovarune {

namespace {

constexpr std::uint32_t bit(unsigned id) { return 1u << id; }

// TRIGGER, AUX_A, AUX_B, START, SELECT, AUX_C, the four directions and RELOAD.
constexpr std::uint32_t button_ids =
    bit(RETRO_DEVICE_ID_LIGHTGUN_TRIGGER) | bit(RETRO_DEVICE_ID_LIGHTGUN_AUX_A) |
    bit(RETRO_DEVICE_ID_LIGHTGUN_AUX_B) | bit(RETRO_DEVICE_ID_LIGHTGUN_START) |
    bit(RETRO_DEVICE_ID_LIGHTGUN_SELECT) | bit(RETRO_DEVICE_ID_LIGHTGUN_AUX_C) |
    bit(RETRO_DEVICE_ID_LIGHTGUN_DPAD_UP) | bit(RETRO_DEVICE_ID_LIGHTGUN_DPAD_DOWN) |
    bit(RETRO_DEVICE_ID_LIGHTGUN_DPAD_LEFT) | bit(RETRO_DEVICE_ID_LIGHTGUN_DPAD_RIGHT) |
    bit(RETRO_DEVICE_ID_LIGHTGUN_RELOAD);

unsigned button_of(unsigned id) {
    return id == RETRO_DEVICE_ID_LIGHTGUN_PAUSE ? RETRO_DEVICE_ID_LIGHTGUN_START : id;
}

std::int16_t pixels(double from, double to, unsigned size) {
    const double moved = std::round((to - from) * size);
    return static_cast<std::int16_t>(moved < -32767.0  ? -32767.0
                                     : moved > 32767.0 ? 32767.0
                                                       : moved);
}

} // namespace

bool Lightguns::set_position(std::int32_t port, double x, double y) {
    if (!in_range(port, input_port_count)) {
        return false;
    }
    Gun &gun = guns_[static_cast<std::size_t>(port)];
    gun.x = x;
    gun.y = y;
    return true;
}

bool Lightguns::set_button(std::int32_t port, std::int32_t button_id, bool pressed) {
    if (!in_range(port, input_port_count) || !in_range(button_id, 32)) {
        return false;
    }
    const std::uint32_t id = bit(button_of(static_cast<unsigned>(button_id)));
    if ((button_ids & id) == 0) {
        return false;
    }
    std::uint32_t &buttons = guns_[static_cast<std::size_t>(port)].buttons;
    buttons = pressed ? buttons | id : buttons & ~id;
    return true;
}

bool Lightguns::aims_at_picture(const Gun &gun) const {
    return on_picture(gun.x) && on_picture(gun.y);
}

void Lightguns::poll(unsigned width, unsigned height) {
    for (Gun &gun : guns_) {
        const bool was_on = on_picture(gun.polled_x) && on_picture(gun.polled_y);
        const bool on = aims_at_picture(gun) && was_on;
        gun.moved_x = on ? pixels(gun.polled_x, gun.x, width) : 0;
        gun.moved_y = on ? pixels(gun.polled_y, gun.y, height) : 0;
        gun.polled_x = gun.x;
        gun.polled_y = gun.y;
    }
}

std::int16_t Lightguns::query(unsigned port, unsigned id) const {
    if (port >= static_cast<unsigned>(input_port_count)) {
        return 0;
    }
    const Gun &gun = guns_[port];
    const bool on = aims_at_picture(gun);
    switch (id) {
    case RETRO_DEVICE_ID_LIGHTGUN_SCREEN_X:
        return on ? screen_coordinate(gun.x) : off_screen_coordinate;
    case RETRO_DEVICE_ID_LIGHTGUN_SCREEN_Y:
        return on ? screen_coordinate(gun.y) : off_screen_coordinate;
    case RETRO_DEVICE_ID_LIGHTGUN_IS_OFFSCREEN:
        return on ? 0 : 1;
    case RETRO_DEVICE_ID_LIGHTGUN_X:
        return gun.moved_x;
    case RETRO_DEVICE_ID_LIGHTGUN_Y:
        return gun.moved_y;
    default:
        return id < 32 && (gun.buttons & bit(button_of(id))) != 0 ? 1 : 0;
    }
}

} // namespace tovarune
