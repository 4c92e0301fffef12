#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace tovarune {

// The strength a core last set for each motor of each port's pad. A core may
// set it from any thread of its own, so each motor is an atomic of its own.
class RumbleMotors {
public:
    static constexpr unsigned port_count = 8;
    static constexpr unsigned motor_count = 2; // RETRO_RUMBLE_STRONG, RETRO_RUMBLE_WEAK

    // Records a motor's strength, telling in `changed` whether it differs
    // from the last; false for a port or effect out of range.
    bool set(unsigned port, unsigned effect, std::uint16_t strength, bool &changed);

    // Brings every motor to rest, calling `stopped(port, effect)` for each one
    // that was running.
    template <typename Stopped> void stop_all(Stopped &&stopped) {
        for (unsigned motor = 0; motor < strengths_.size(); ++motor) {
            if (strengths_[motor].exchange(0) != 0) {
                stopped(motor / motor_count, motor % motor_count);
            }
        }
    }

private:
    std::array<std::atomic<std::uint16_t>, port_count * motor_count> strengths_{};
};

} // namespace tovarune
