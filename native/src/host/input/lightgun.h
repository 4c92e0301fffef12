#pragma once

#include "input/input_ports.h"

#include <array>
#include <cstdint>

namespace tovarune {

// A light gun on each port: where it aims, as a fraction of the picture
// (screen_space.h), and its buttons by RETRO_DEVICE_ID_LIGHTGUN_* id.
class Lightguns {
public:
    // False, changing nothing, for a port out of range or an id that is not a
    // button (the deprecated PAUSE is START).
    bool set_position(std::int32_t port, double x, double y);
    bool set_button(std::int32_t port, std::int32_t button_id, bool pressed);

    // Takes the motion since the last poll, for the deprecated relative ids,
    // in pixels of a picture of this size.
    void poll(unsigned width, unsigned height);
    // Off the picture, SCREEN_X and SCREEN_Y are -0x8000 and IS_OFFSCREEN 1.
    // The deprecated X and Y give the motion between the last two polls (none
    // when either aim was off the picture), CURSOR and TURBO are AUX_A and
    // AUX_B, PAUSE is START.
    std::int16_t query(unsigned port, unsigned id) const;

private:
    struct Gun {
        double x = -1.0, y = -1.0; // off the picture until set
        double polled_x = -1.0, polled_y = -1.0;
        std::int16_t moved_x = 0, moved_y = 0;
        std::uint32_t buttons = 0; // a bit per button id
    };
    bool aims_at_picture(const Gun &gun) const;
    std::array<Gun, input_port_count> guns_{};
};

} // namespace tovarune
