#include "input/mouse.h"

#include <libretro.h>

#include <algorithm>
#include <cmath>

namespace tovarune {

namespace {

constexpr std::uint32_t bit(unsigned id) { return 1u << id; }

constexpr std::uint32_t button_ids =
    bit(RETRO_DEVICE_ID_MOUSE_LEFT) | bit(RETRO_DEVICE_ID_MOUSE_RIGHT) |
    bit(RETRO_DEVICE_ID_MOUSE_MIDDLE) | bit(RETRO_DEVICE_ID_MOUSE_BUTTON_4) |
    bit(RETRO_DEVICE_ID_MOUSE_BUTTON_5);

// More than any frame can report; a flood of motion stops growing here.
constexpr double gathered_limit = 1e6;

// The whole pixels of `gathered`, which keeps the fraction.
std::int16_t take_whole(double &gathered) {
    const double whole = std::clamp(std::trunc(gathered), -32767.0, 32767.0);
    gathered -= whole;
    return static_cast<std::int16_t>(whole);
}

std::int64_t add_notches(std::int64_t gathered, std::int32_t notches) {
    return std::clamp<std::int64_t>(gathered + notches, -(1 << 30), 1 << 30);
}

} // namespace

bool Mice::add_motion(std::int32_t port, double dx, double dy) {
    if (!in_range(port, input_port_count) || !std::isfinite(dx) || !std::isfinite(dy)) {
        return false;
    }
    Mouse &mouse = mice_[static_cast<std::size_t>(port)];
    mouse.gathered_x = std::clamp(mouse.gathered_x + dx, -gathered_limit, gathered_limit);
    mouse.gathered_y = std::clamp(mouse.gathered_y + dy, -gathered_limit, gathered_limit);
    return true;
}

bool Mice::set_button(std::int32_t port, std::int32_t button_id, bool pressed) {
    if (!in_range(port, input_port_count) || !in_range(button_id, 32) ||
        (button_ids & bit(static_cast<unsigned>(button_id))) == 0) {
        return false;
    }
    std::uint32_t &buttons = mice_[static_cast<std::size_t>(port)].buttons;
    const std::uint32_t id = bit(static_cast<unsigned>(button_id));
    buttons = pressed ? buttons | id : buttons & ~id;
    return true;
}

bool Mice::add_wheel(std::int32_t port, std::int32_t vertical, std::int32_t horizontal) {
    if (!in_range(port, input_port_count)) {
        return false;
    }
    Mouse &mouse = mice_[static_cast<std::size_t>(port)];
    mouse.gathered_vertical = add_notches(mouse.gathered_vertical, vertical);
    mouse.gathered_horizontal = add_notches(mouse.gathered_horizontal, horizontal);
    return true;
}

void Mice::poll() {
    for (Mouse &mouse : mice_) {
        mouse.x = take_whole(mouse.gathered_x);
        mouse.y = take_whole(mouse.gathered_y);
        // Scrolling left is the horizontal wheel's "up", as on X11.
        mouse.wheel =
            (mouse.gathered_vertical > 0 ? bit(RETRO_DEVICE_ID_MOUSE_WHEELUP) : 0) |
            (mouse.gathered_vertical < 0 ? bit(RETRO_DEVICE_ID_MOUSE_WHEELDOWN) : 0) |
            (mouse.gathered_horizontal < 0 ? bit(RETRO_DEVICE_ID_MOUSE_HORIZ_WHEELUP) : 0) |
            (mouse.gathered_horizontal > 0 ? bit(RETRO_DEVICE_ID_MOUSE_HORIZ_WHEELDOWN) : 0);
        mouse.gathered_vertical = mouse.gathered_horizontal = 0;
    }
}

std::int16_t Mice::query(unsigned port, unsigned id) const {
    if (port >= static_cast<unsigned>(input_port_count) || id >= 32) {
        return 0;
    }
    const Mouse &mouse = mice_[port];
    switch (id) {
    case RETRO_DEVICE_ID_MOUSE_X:
        return mouse.x;
    case RETRO_DEVICE_ID_MOUSE_Y:
        return mouse.y;
    default:
        return ((mouse.buttons | mouse.wheel) & bit(id)) != 0 ? 1 : 0;
    }
}

} // namespace tovarune
