#pragma once

#include <array>
#include <cstdint>

namespace tovarune {

// The sixteen buttons of the joypad on port 0, by libretro joypad id.
class Joypad {
public:
    static constexpr int button_count = 16;

    // Ids outside 0..15 are ignored.
    void set_button(std::int32_t button_id, bool pressed);

    // The answer to a core's input query: 1 for a held button of the joypad
    // on port 0 (index 0, any joypad subclass), 0 for everything else.
    std::int16_t query(unsigned port, unsigned device, unsigned index, unsigned id) const;

private:
    std::array<std::uint8_t, button_count> buttons_{};
};

} // namespace tovarune
