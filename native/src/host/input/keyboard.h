#pragma once

#include <libretro.h>

#include <bitset>
#include <cstdint>

namespace tovarune {

// The keyboard: which keys are down, by retro_key, and the function the core
// gave for key events (RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK).
class Keyboard {
public:
    // A key code the core may be told: RETROK_UNKNOWN (for a character alone)
    // up to the last retro_key.
    static bool known(std::int32_t keycode) { return keycode >= 0 && keycode < RETROK_LAST; }

    // Holds or releases a key; RETROK_UNKNOWN and unknown codes change nothing.
    void set_key(std::int32_t keycode, bool pressed);
    // 1 while the key is down, on any port.
    std::int16_t query(unsigned id) const;

    retro_keyboard_event_t callback() const { return callback_; }
    void set_callback(retro_keyboard_event_t callback) { callback_ = callback; }

private:
    std::bitset<RETROK_LAST> down_;
    retro_keyboard_event_t callback_ = nullptr;
};

} // namespace tovarune
