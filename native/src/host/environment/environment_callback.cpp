#include "core/callbacks.h"
#include "environment/environment_commands.h"

#include <initializer_list>

namespace tovarune {

namespace {

using namespace environment;

struct Command {
    unsigned number;
    bool (*answer)(Player &player, void *data);
};

// Every command this frontend answers; any other is refused.
constexpr Command commands[] = {
    {RETRO_ENVIRONMENT_GET_CAN_DUPE, get_can_dupe},
    {RETRO_ENVIRONMENT_SET_PERFORMANCE_LEVEL, accept},
    {RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, get_system_directory},
    {RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, set_pixel_format},
    {RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, set_input_descriptors},
    {RETRO_ENVIRONMENT_GET_VARIABLE, get_variable},
    {RETRO_ENVIRONMENT_SET_VARIABLES, set_variables},
    {RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, get_variable_update},
    {RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, accept},
    {RETRO_ENVIRONMENT_GET_CORE_ASSETS_DIRECTORY, get_system_directory},
    {RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, get_save_directory},
    {RETRO_ENVIRONMENT_SET_CONTROLLER_INFO, set_controller_info},
    {RETRO_ENVIRONMENT_GET_LOG_INTERFACE, get_log_interface},
    {RETRO_ENVIRONMENT_GET_LANGUAGE, get_language},
    {RETRO_ENVIRONMENT_SET_HW_RENDER, set_hw_render},
    {RETRO_ENVIRONMENT_GET_PREFERRED_HW_RENDER, get_preferred_hw_render},
    {RETRO_ENVIRONMENT_SET_HW_SHARED_CONTEXT, set_hw_shared_context},
    {RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK, set_keyboard_callback},
    {RETRO_ENVIRONMENT_GET_INPUT_DEVICE_CAPABILITIES, get_input_device_capabilities},
    {RETRO_ENVIRONMENT_GET_INPUT_MAX_USERS, get_input_max_users},
    {RETRO_ENVIRONMENT_GET_INPUT_BITMASKS & ~RETRO_ENVIRONMENT_EXPERIMENTAL, get_input_bitmasks},
};

} // namespace

bool environment_callback(Player &player, unsigned command, void *data) {
    // The experimental flag on a stable command marks it as unstable, not as
    // another one; but some experimental commands share their number with a
    // stable one (SET_HW_SHARED_CONTEXT and SET_SERIALIZATION_QUIRKS are 44),
    // so the exact number comes first.
    const unsigned stable = command & ~static_cast<unsigned>(RETRO_ENVIRONMENT_EXPERIMENTAL);
    for (const unsigned number : {command, stable}) {
        for (const Command &known : commands) {
            if (known.number == number) {
                return known.answer(player, data);
            }
        }
    }
    return false;
}

} // namespace tovarune
