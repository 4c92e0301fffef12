#pragma once

#include "input/input_ports.h"

#include <array>
#include <cstdint>

namespace tovarune {

// The joypads on ports 0 to 7: sixteen buttons by libretro joypad id, each
// also analog, and two analog sticks each.
class Joypads {
public:
    static constexpr int port_count = input_port_count;
    static constexpr int button_count = 16;
    static constexpr int stick_count = 2;

    // Each returns false, changing nothing, for a port, button or stick out of
    // range. Stick axes are clamped to -1..1 (a NaN counts as 0), y down;
    // analog buttons to 0..1.
    bool set_button(std::int32_t port, std::int32_t button_id, bool pressed);
    bool set_analog(std::int32_t port, std::int32_t stick, double x, double y);
    bool set_analog_button(std::int32_t port, std::int32_t button_id, double value);

    // Whether a script ever gave input to the port.
    bool used(int port) const { return (used_ports_ >> port & 1u) != 0; }

    // The answer to a core's input query: for a joypad (any subclass), 1 for
    // a held button at index 0, or every button as a bit of
    // RETRO_DEVICE_ID_JOYPAD_MASK; for an analog stick, the axis as
    // -32767..32767; for an analog button, 0..32767, or 32767 for a held
    // digital button the script gave no analog value; 0 for everything else.
    std::int16_t query(unsigned port, unsigned device, unsigned index, unsigned id) const;

private:
    std::array<std::uint16_t, port_count> buttons_{}; // a bit per button id
    std::array<std::array<std::int16_t, button_count>, port_count> analog_buttons_{};
    // By port, stick, then axis (x, y).
    std::array<std::array<std::array<std::int16_t, 2>, stick_count>, port_count> axes_{};
    unsigned used_ports_ = 0;
};

} // namespace tovarune
