#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

bool get_log_interface(Player &player, void *data) {
    const CoreCallbacks *callbacks = player.callbacks();
    if (data == nullptr || callbacks == nullptr) {
        return false;
    }
    static_cast<retro_log_callback *>(data)->log = callbacks->log;
    return true;
}

} // namespace tovarune::environment
