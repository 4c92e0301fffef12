#include "joypad.h"

#include <libretro.h>

namespace tovarune {

void Joypad::set_button(std::int32_t button_id, bool pressed) {
    if (button_id >= 0 && button_id < button_count) {
        buttons_[static_cast<std::size_t>(button_id)] = pressed ? 1 : 0;
    }
}

std::int16_t Joypad::query(unsigned port, unsigned device, unsigned index, unsigned id) const {
    if (port != 0 || index != 0) {
        return 0;
    }
    if ((device & RETRO_DEVICE_MASK) != RETRO_DEVICE_JOYPAD) {
        return 0;
    }
    if (id >= static_cast<unsigned>(button_count)) {
        return 0;
    }
    return buttons_[id] != 0 ? 1 : 0;
}

} // namespace tovarune
