#include "input/pointer.h"

#include "input/screen_space.h"

#include <libretro.h>

namespace tovarune {

namespace {

// Named RETRO_DEVICE_ID_POINTER_IS_OFFSCREEN by libretro.h since 2024.
constexpr unsigned pointer_is_offscreen = 15;

} // namespace

bool Pointers::set_touch(std::int32_t port, std::int32_t touch, double x, double y, bool pressed) {
    if (!in_range(port, input_port_count) || !in_range(touch, touch_count)) {
        return false;
    }
    touches_[static_cast<std::size_t>(port)][static_cast<std::size_t>(touch)] = {x, y, pressed};
    return true;
}

bool Pointers::release(std::int32_t port) {
    if (!in_range(port, input_port_count)) {
        return false;
    }
    for (Touch &touch : touches_[static_cast<std::size_t>(port)]) {
        touch.pressed = false;
    }
    return true;
}

std::int16_t Pointers::query(unsigned port, unsigned index, unsigned id) const {
    if (port >= static_cast<unsigned>(input_port_count)) {
        return 0;
    }
    const Touch *found = nullptr;
    unsigned count = 0;
    for (const Touch &touch : touches_[port]) {
        if (touch.pressed && on_picture(touch.x) && on_picture(touch.y)) {
            if (count++ == index) {
                found = &touch;
            }
        }
    }
    const bool pressed = found != nullptr;
    if (!pressed && index == 0) {
        found = &touches_[port][0];
    }
    switch (id) {
    case RETRO_DEVICE_ID_POINTER_X:
        return found != nullptr ? screen_coordinate(found->x) : 0;
    case RETRO_DEVICE_ID_POINTER_Y:
        return found != nullptr ? screen_coordinate(found->y) : 0;
    case RETRO_DEVICE_ID_POINTER_PRESSED:
        return pressed ? 1 : 0;
    case RETRO_DEVICE_ID_POINTER_COUNT:
        return static_cast<std::int16_t>(count);
    case pointer_is_offscreen:
        return found == nullptr || !on_picture(found->x) || !on_picture(found->y) ? 1 : 0;
    default:
        return 0;
    }
}

} // namespace tovarune
