#include "input/joypad.h"

#include <libretro.h>

#include <algorithm>
#include <cmath>

namespace tovarune {

namespace {

bool in_range(std::int32_t value, int count) { return value >= 0 && value < count; }

std::int16_t axis_value(double position) {
    if (std::isnan(position)) {
        return 0;
    }
    const double clamped = std::min(1.0, std::max(-1.0, position));
    return static_cast<std::int16_t>(std::lround(clamped * 32767.0));
}

} // namespace

bool Joypads::set_button(std::int32_t port, std::int32_t button_id, bool pressed) {
    if (!in_range(port, port_count) || !in_range(button_id, button_count)) {
        return false;
    }
    buttons_[static_cast<std::size_t>(port)][static_cast<std::size_t>(button_id)] = pressed ? 1 : 0;
    used_ports_ |= 1u << port;
    return true;
}

bool Joypads::set_analog(std::int32_t port, std::int32_t stick, double x, double y) {
    if (!in_range(port, port_count) || !in_range(stick, stick_count)) {
        return false;
    }
    axes_[static_cast<std::size_t>(port)][static_cast<std::size_t>(stick)] = {axis_value(x),
                                                                              axis_value(y)};
    used_ports_ |= 1u << port;
    return true;
}

std::int16_t Joypads::query(unsigned port, unsigned device, unsigned index, unsigned id) const {
    if (port >= static_cast<unsigned>(port_count)) {
        return 0;
    }
    switch (device & RETRO_DEVICE_MASK) {
    case RETRO_DEVICE_JOYPAD:
        if (index != 0 || id >= static_cast<unsigned>(button_count)) {
            return 0;
        }
        return buttons_[port][id] != 0 ? 1 : 0;
    case RETRO_DEVICE_ANALOG:
        // Index 2 (RETRO_DEVICE_INDEX_ANALOG_BUTTON) asks for analog buttons,
        // which a script cannot give.
        if (index >= static_cast<unsigned>(stick_count) || id > RETRO_DEVICE_ID_ANALOG_Y) {
            return 0;
        }
        return axes_[port][index][id];
    default:
        return 0;
    }
}

} // namespace tovarune
