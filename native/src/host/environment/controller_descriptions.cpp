#include "environment/environment_commands.h"
#include "player.h"

#include <libretro.h>

namespace tovarune::environment {

// Both lists are copied whole; null data forgets them.

bool set_controller_info(Player &player, void *data) {
    player.input().controllers.declare(static_cast<const retro_controller_info *>(data));
    return true;
}

bool set_input_descriptors(Player &player, void *data) {
    declare_input_descriptors(static_cast<const retro_input_descriptor *>(data),
                              player.input().descriptors);
    return true;
}

} // namespace tovarune::environment
