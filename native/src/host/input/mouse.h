#pragma once

#include "input/input_ports.h"

#include <array>
#include <cstdint>

namespace tovarune {

// A mouse on each port. Its motion and wheel gather until the core polls;
// from then until its next poll the core reads what had gathered: the motion
// in whole pixels of the picture (a fraction stays for the next poll), each
// wheel direction turned as a button pressed for that while.
class Mice {
public:
    // Each returns false, changing nothing, for a port out of range, a button
    // that is not one of the mouse's five (a wheel is not a button), or motion
    // that is not a number.
    bool add_motion(std::int32_t port, double dx, double dy);
    bool set_button(std::int32_t port, std::int32_t button_id, bool pressed);
    // Notches: vertical up is positive, horizontal right is positive.
    bool add_wheel(std::int32_t port, std::int32_t vertical, std::int32_t horizontal);

    void poll();
    // RETRO_DEVICE_ID_MOUSE_* (at any index, as the mouse has one); 0 for
    // anything else.
    std::int16_t query(unsigned port, unsigned id) const;

private:
    struct Mouse {
        double gathered_x = 0.0, gathered_y = 0.0;
        std::int64_t gathered_vertical = 0, gathered_horizontal = 0;
        std::int16_t x = 0, y = 0; // since the last poll
        std::uint32_t wheel = 0;   // a bit per wheel id, since the last poll
        std::uint32_t buttons = 0; // a bit per button id
    };
    std::array<Mouse, input_port_count> mice_{};
};

} // namespace tovarune
