#pragma once

#include "input/input_ports.h"

#include <array>
#include <cstdint>

namespace tovarune {

// A touch screen (or a mouse pointing at the picture) on each port, with up to
// ten touches. Positions are fractions of the picture (screen_space.h).
class Pointers {
public:
    static constexpr int touch_count = 10;

    // False, changing nothing, for a port or touch out of range.
    bool set_touch(std::int32_t port, std::int32_t touch, double x, double y, bool pressed);
    bool release(std::int32_t port);

    // The core reads the touches that are pressed on the picture, in the order
    // of their numbers, as indexes 0, 1, ...; after the last, PRESSED is 0.
    // With none pressed, index 0 is touch 0 where it points. Coordinates are
    // held to the picture's edges; id 15 (IS_OFFSCREEN in newer libretro.h)
    // tells whether the index points off the picture; COUNT is how many
    // touches are pressed on it.
    std::int16_t query(unsigned port, unsigned index, unsigned id) const;

private:
    struct Touch {
        double x = -1.0, y = -1.0; // off the picture until set
        bool pressed = false;
    };
    std::array<std::array<Touch, touch_count>, input_port_count> touches_{};
};

} // namespace tovarune
