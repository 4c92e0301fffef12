#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

// The rumble function of the player's own callback slot: it carries no
// context either.
bool get_rumble_interface(Player &player, void *data) {
    const CoreCallbacks *callbacks = player.callbacks();
    if (data == nullptr || callbacks == nullptr) {
        return false;
    }
    static_cast<retro_rumble_interface *>(data)->set_rumble_state = callbacks->rumble;
    return true;
}

} // namespace tovarune::environment
