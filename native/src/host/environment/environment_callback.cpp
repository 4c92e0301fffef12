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
    {RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, set_support_no_game},
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
    {RETRO_ENVIRONMENT_SET_SYSTEM_AV_INFO, set_system_av_info},
    {RETRO_ENVIRONMENT_SET_GEOMETRY, set_geometry},
    {RETRO_ENVIRONMENT_SET_ROTATION, set_rotation},
    {RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE, get_audio_video_enable},
    {RETRO_ENVIRONMENT_GET_OVERSCAN, get_overscan},
    {RETRO_ENVIRONMENT_GET_FASTFORWARDING, get_fastforwarding},
    {RETRO_ENVIRONMENT_GET_TARGET_REFRESH_RATE, get_target_refresh_rate},
    {RETRO_ENVIRONMENT_GET_THROTTLE_STATE, get_throttle_state},
    {RETRO_ENVIRONMENT_SET_FRAME_TIME_CALLBACK, set_frame_time_callback},
    {RETRO_ENVIRONMENT_SET_AUDIO_CALLBACK, set_audio_callback},
    {RETRO_ENVIRONMENT_SET_AUDIO_BUFFER_STATUS_CALLBACK, set_audio_buffer_status_callback},
    {RETRO_ENVIRONMENT_SET_MESSAGE, set_message},
    {RETRO_ENVIRONMENT_SET_MESSAGE_EXT, set_message_ext},
    {RETRO_ENVIRONMENT_GET_MESSAGE_INTERFACE_VERSION, get_message_interface_version},
    {RETRO_ENVIRONMENT_SHUTDOWN, shutdown},
    {RETRO_ENVIRONMENT_GET_PERF_INTERFACE, get_perf_interface},
    {RETRO_ENVIRONMENT_GET_RUMBLE_INTERFACE, get_rumble_interface},
    {RETRO_ENVIRONMENT_SET_MEMORY_MAPS, set_memory_maps},
    {RETRO_ENVIRONMENT_SET_SERIALIZATION_QUIRKS, set_serialization_quirks},
    {RETRO_ENVIRONMENT_GET_SAVESTATE_CONTEXT, get_savestate_context},
    {RETRO_ENVIRONMENT_GET_USERNAME, get_username},
    {RETRO_ENVIRONMENT_GET_LIBRETRO_PATH, get_libretro_path},
    {RETRO_ENVIRONMENT_SET_CONTENT_INFO_OVERRIDE, set_content_info_override},
    {RETRO_ENVIRONMENT_GET_GAME_INFO_EXT, get_game_info_ext},
    {RETRO_ENVIRONMENT_GET_VFS_INTERFACE & ~RETRO_ENVIRONMENT_EXPERIMENTAL, get_vfs_interface},
    {RETRO_ENVIRONMENT_SET_DISK_CONTROL_INTERFACE, set_disk_control_interface},
    {RETRO_ENVIRONMENT_SET_DISK_CONTROL_EXT_INTERFACE, set_disk_control_ext_interface},
    {RETRO_ENVIRONMENT_GET_DISK_CONTROL_INTERFACE_VERSION, get_disk_control_interface_version},
    {RETRO_ENVIRONMENT_GET_CORE_OPTIONS_VERSION, get_core_options_version},
    {RETRO_ENVIRONMENT_SET_CORE_OPTIONS, set_core_options},
    {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_INTL, set_core_options_intl},
    {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, set_core_options_v2},
    {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2_INTL, set_core_options_v2_intl},
    {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_DISPLAY, set_core_options_display},
    {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_UPDATE_DISPLAY_CALLBACK,
     set_core_options_update_display_callback},
};

} // namespace

bool environment_callback(Player &player, unsigned command, void *data) {
    // The experimental flag marks a command as unstable, not as another one:
    // a row matches with or without it. One number is two commands, told
    // apart by the flag alone (SET_SERIALIZATION_QUIRKS and
    // SET_HW_SHARED_CONTEXT), so an exact match goes first.
    constexpr auto experimental = static_cast<unsigned>(RETRO_ENVIRONMENT_EXPERIMENTAL);
    for (const bool exact : {true, false}) {
        for (const Command &known : commands) {
            if (exact ? known.number == command
                      : (known.number & ~experimental) == (command & ~experimental)) {
                return known.answer(player, data);
            }
        }
    }
    return false;
}

} // namespace tovarune
