#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

// The script runs the frames: the player knows no fast-forward, and aims at
// the game's own rate.
bool get_fastforwarding(Player &, void *data) { return write_answer(data, false); }

bool get_target_refresh_rate(Player &player, void *data) {
    return write_answer(data, static_cast<float>(player.fps()));
}

bool get_throttle_state(Player &player, void *data) {
    return write_answer(
        data, retro_throttle_state{RETRO_THROTTLE_NONE, static_cast<float>(player.fps())});
}

} // namespace tovarune::environment
