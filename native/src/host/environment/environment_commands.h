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

} // namespace environment
} // namespace tovarune
