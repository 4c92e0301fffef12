#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

bool set_memory_maps(Player &player, void *data) {
    return data != nullptr && player.memory_maps().set(static_cast<const retro_memory_map *>(data));
}

} // namespace tovarune::environment
