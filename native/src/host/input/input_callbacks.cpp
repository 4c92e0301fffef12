#include "core/callbacks.h"
#include "player.h"

namespace tovarune {

int16_t input_state_callback(const Player &player, unsigned port, unsigned device, unsigned index,
                             unsigned id) {
    return player.joypads().query(port, device, index, id);
}

} // namespace tovarune
