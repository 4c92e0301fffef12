#include "input/keyboard.h"

namespace tovarune {

void Keyboard::set_key(std::int32_t keycode, bool pressed) {
    if (known(keycode) && keycode != RETROK_UNKNOWN) {
        down_[static_cast<std::size_t>(keycode)] = pressed;
    }
}

std::int16_t Keyboard::query(unsigned id) const {
    return id < static_cast<unsigned>(RETROK_LAST) && down_[id] ? 1 : 0;
}

} // namespace tovarune
