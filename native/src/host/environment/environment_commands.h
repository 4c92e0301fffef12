#pragma once

namespace tovarune {

class Player;

// The environment commands a core may send, one function per libretro
// interface, each in a file of its own; environment_callback.cpp dispatches.
// Each reads and writes `data` exactly as libretro.h defines it for its
// command, answers false for a null `data` where the command needs one, and
// answers true only when it carried the command out.
namespace environment {

// Facts of this frontend that any core may ask.
bool get_can_dupe(Player &player, void *data);
bool get_language(Player &player, void *data);
bool accept(Player &player, void *data);

// The content a core takes: none, or its games by extension, and what it is
// told of the game it was given.
bool set_support_no_game(Player &player, void *data);
bool set_content_info_override(Player &player, void *data);
bool get_game_info_ext(Player &player, void *data);

// Directories.
bool get_system_directory(Player &player, void *data);
bool get_save_directory(Player &player, void *data);

// The log interface.
bool get_log_interface(Player &player, void *data);

// Pixel format.
bool set_pixel_format(Player &player, void *data);

// Core options, first generation.
bool get_variable(Player &player, void *data);
bool set_variables(Player &player, void *data);
bool get_variable_update(Player &player, void *data);

// Core options of the later generations: labels, descriptions, categories,
// translations and their display.
bool get_core_options_version(Player &player, void *data);
bool set_core_options(Player &player, void *data);
bool set_core_options_intl(Player &player, void *data);
bool set_core_options_v2(Player &player, void *data);
bool set_core_options_v2_intl(Player &player, void *data);
bool set_core_options_display(Player &player, void *data);
bool set_core_options_update_display_callback(Player &player, void *data);

// Files through the frontend: the VFS interface.
bool get_vfs_interface(Player &player, void *data);

// The disc tray of games of several discs.
bool set_disk_control_interface(Player &player, void *data);
bool set_disk_control_ext_interface(Player &player, void *data);
bool get_disk_control_interface_version(Player &player, void *data);

// Hardware rendering.
bool set_hw_render(Player &player, void *data);
bool get_preferred_hw_render(Player &player, void *data);
bool set_hw_shared_context(Player &player, void *data);
// Input devices.
bool get_input_max_users(Player &player, void *data);
bool get_input_bitmasks(Player &player, void *data);
bool get_input_device_capabilities(Player &player, void *data);
bool set_controller_info(Player &player, void *data);
bool set_input_descriptors(Player &player, void *data);
bool set_keyboard_callback(Player &player, void *data);

// Timing and picture: the game's rates and geometry, its turn, what is wanted.
bool set_system_av_info(Player &player, void *data);
bool set_geometry(Player &player, void *data);
bool set_rotation(Player &player, void *data);
bool get_audio_video_enable(Player &player, void *data);
bool get_overscan(Player &player, void *data);

// How the frontend runs frames.
bool get_fastforwarding(Player &player, void *data);
bool get_target_refresh_rate(Player &player, void *data);
bool get_throttle_state(Player &player, void *data);

// Callbacks of the core's around each frame.
bool set_frame_time_callback(Player &player, void *data);
bool set_audio_callback(Player &player, void *data);
bool set_audio_buffer_status_callback(Player &player, void *data);

// Messages for the user, and a core's wish to stop.
bool set_message(Player &player, void *data);
bool set_message_ext(Player &player, void *data);
bool get_message_interface_version(Player &player, void *data);
bool shutdown(Player &player, void *data);

// Performance counters and timers.
bool get_perf_interface(Player &player, void *data);

// Rumble.
bool get_rumble_interface(Player &player, void *data);

// The console's memory by its own addresses.
bool set_memory_maps(Player &player, void *data);

// Save states.
bool set_serialization_quirks(Player &player, void *data);
bool get_savestate_context(Player &player, void *data);

// Who the frontend and the core are.
bool get_username(Player &player, void *data);
bool get_libretro_path(Player &player, void *data);

} // namespace environment
} // namespace tovarune
