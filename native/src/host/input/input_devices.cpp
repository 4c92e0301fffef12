#include "input/input_devices.h"

namespace tovarune {

void InputDevices::poll(unsigned width, unsigned height) {
    polled = true;
    mice.poll();
    lightguns.poll(width, height);
}

std::int16_t InputDevices::query(unsigned port, unsigned device, unsigned index,
                                 unsigned id) const {
    if (port >= static_cast<unsigned>(input_port_count)) {
        return 0;
    }
    switch (device & RETRO_DEVICE_MASK) {
    case RETRO_DEVICE_JOYPAD:
    case RETRO_DEVICE_ANALOG:
        return joypads.query(port, device, index, id);
    case RETRO_DEVICE_MOUSE:
        return mice.query(port, id);
    case RETRO_DEVICE_POINTER:
        return pointers.query(port, index, id);
    case RETRO_DEVICE_LIGHTGUN:
        return lightguns.query(port, id);
    case RETRO_DEVICE_KEYBOARD:
        return keyboard.query(id);
    default:
        return 0;
    }
}

void InputDevices::forget_core() {
    controllers.declare(nullptr);
    descriptors.clear();
    keyboard.set_callback(nullptr);
}

} // namespace tovarune
