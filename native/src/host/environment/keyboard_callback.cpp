#include "environment/environment_commands.h"
#include "player.h"

#include <libretro.h>

namespace tovarune::environment {

// The function is kept; the structure that held it need not outlive the call.
bool set_keyboard_callback(Player &player, void *data) {
    if (data == nullptr) {
        return false;
    }
    player.input().keyboard.set_callback(
        static_cast<const retro_keyboard_callback *>(data)->callback);
    return true;
}

} // namespace tovarune::environment
