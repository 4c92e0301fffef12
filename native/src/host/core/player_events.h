#pragma once

#include <string>

namespace tovarune {

// What a player tells whoever shows it, besides its frames. Calls come on any
// thread, some from inside a core's own call, so an implementation only
// records them, and acts on them once the core has returned.
class PlayerEvents {
public:
    // A line the core logged (a retro_log_level and the text, without its
    // line break), or one the player logs of its own about the core.
    virtual void core_logged(unsigned level, const std::string &message) = 0;
    // A notice the core wants shown for `seconds` (SET_MESSAGE, SET_MESSAGE_EXT).
    virtual void core_message(const std::string &message, double seconds) = 0;
    // The core asked to shut down: no more frames of its game run.
    virtual void shutdown_requested() = 0;
    // The game's timing or geometry changed: frame rate, sample rate, aspect.
    virtual void av_info_changed() = 0;
    // A motor of the pad on `port` (effect 0 strong, 1 weak) now runs at
    // `strength`, 0 to 1.
    virtual void rumble_changed(unsigned port, unsigned effect, double strength) = 0;
    // The core declared its options, or showed or hid some of them.
    virtual void core_options_changed() {}

protected:
    ~PlayerEvents() = default;
};

} // namespace tovarune
