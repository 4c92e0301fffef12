#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "input/input_ports.h"

#include <libretro.h>

#include <cstdint>

namespace tovarune::environment {

bool get_input_max_users(Player &, void *data) {
    return write_answer(data, static_cast<unsigned>(input_port_count));
}

// Many cores ask with null data and take the answer alone.
bool get_input_bitmasks(Player &, void *data) {
    if (data != nullptr) {
        write_answer(data, true);
    }
    return true;
}

bool get_input_device_capabilities(Player &, void *data) {
    constexpr std::uint64_t devices = 1u << RETRO_DEVICE_JOYPAD | 1u << RETRO_DEVICE_MOUSE |
                                      1u << RETRO_DEVICE_KEYBOARD | 1u << RETRO_DEVICE_LIGHTGUN |
                                      1u << RETRO_DEVICE_ANALOG | 1u << RETRO_DEVICE_POINTER;
    return write_answer(data, devices);
}

} // namespace tovarune::environment
