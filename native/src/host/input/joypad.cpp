#include "input/joypad.h"

#include <libretro.h>

#include <algorithm>
#include <cmath>

namespace tovarune {

namespace {

std::int16_t axis_value(double position, double low) {
    if (std::isnan(position)) {
        return 0;
    }
    const double clamped = std::min(1.0, std::max(low, position));
    return static_cast<std::int16_t>(std::lround(clamped * 32767.0));
}

} // namespace

bool Joypads::set_button(std::int32_t port, std::int32_t button_id, bool pressed) {
    if (!in_range(port, port_count) || !in_range(button_id, button_count)) {
        return false;
    }
    const auto bit = static_cast<std::uint16_t>(1u << button_id);
    std::uint16_t &held = buttons_[static_cast<std::size_t>(port)];
    held = static_cast<std::uint16_t>(pressed ? held | bit : held & ~bit);
    used_ports_ |= 1u << port;
    return true;
}

bool Joypads::set_analog(std::int32_t port, std::int32_t stick, double x, double y) {
    if (!in_range(port, port_count) || !in_range(stick, stick_count)) {
        return false;
    }
    axes_[static_cast<std::size_t>(port)][static_cast<std::size_t>(stick)] = {axis_value(x, -1.0),
                                                                              axis_value(y, -1.0)};
    used_ports_ |= 1u << port;
    return true;
}

bool Joypads::set_analog_button(std::int32_t port, std::int32_t button_id, double value) {
    if (!in_range(port, port_count) || !in_range(button_id, button_count)) {
        return false;
    }
    analog_buttons_[static_cast<std::size_t>(port)][static_cast<std::size_t>(button_id)] =
        axis_value(value, 0.0);
    used_ports_ |= 1u << port;
    return true;
}

std::int16_t Joypads::query(unsigned port, unsigned device, unsigned index, unsigned id) const {
    if (port >= static_cast<unsigned>(port_count)) {
        return 0;
    }
    const unsigned held = buttons_[port];
    switch (device & RETRO_DEVICE_MASK) {
    case RETRO_DEVICE_JOYPAD:
        if (index != 0) {
            return 0;
        }
        if (id == RETRO_DEVICE_ID_JOYPAD_MASK) {
            return static_cast<std::int16_t>(held);
        }
        return id < static_cast<unsigned>(button_count) ? (held >> id & 1u) : 0;
    case RETRO_DEVICE_ANALOG:
        if (index == RETRO_DEVICE_INDEX_ANALOG_BUTTON) {
            if (id >= static_cast<unsigned>(button_count)) {
                return 0;
            }
            // A button the script only pressed reads as fully down.
            const std::int16_t value = analog_buttons_[port][id];
            return value > 0 ? value : (held >> id & 1u) != 0 ? 0x7fff : 0;
        }
        if (index >= static_cast<unsigned>(stick_count) || id > RETRO_DEVICE_ID_ANALOG_Y) {
            return 0;
        }
        return axes_[port][index][id];
    default:
        return 0;
    }
}

} // namespace tovarune
