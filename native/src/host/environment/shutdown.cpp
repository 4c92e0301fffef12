#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune {

void Player::request_shutdown() {
    {
        const Lock held = lock();
        if (shutdown_requested_) {
            return;
        }
        shutdown_requested_ = true;
    }
    if (events_ != nullptr) {
        events_->shutdown_requested();
    }
}

bool Player::shutdown_requested() const {
    const Lock held = lock();
    return shutdown_requested_;
}

// Carries no data: whatever `data` is, it is not read.
bool environment::shutdown(Player &player, void *) {
    player.request_shutdown();
    return true;
}

} // namespace tovarune
