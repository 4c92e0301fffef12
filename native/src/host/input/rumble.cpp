#include "input/rumble.h"
#include "player.h"

namespace tovarune {

bool RumbleMotors::set(unsigned port, unsigned effect, std::uint16_t strength, bool &changed) {
    changed = false;
    if (port >= port_count || effect >= motor_count) {
        return false;
    }
    changed = strengths_[port * motor_count + effect].exchange(strength) != strength;
    return true;
}

// Called from any thread, without the player's lock: a core's own thread
// may rumble while the player waits for that core.
bool Player::set_rumble(unsigned port, unsigned effect, std::uint16_t strength) {
    bool changed = false;
    if (!rumble_.set(port, effect, strength, changed)) {
        return false;
    }
    if (changed && events_ != nullptr) {
        events_->rumble_changed(port, effect, strength / 65535.0);
    }
    return true;
}

void Player::stop_rumble() {
    rumble_.stop_all([this](unsigned port, unsigned effect) {
        if (events_ != nullptr) {
            events_->rumble_changed(port, effect, 0.0);
        }
    });
}

} // namespace tovarune
