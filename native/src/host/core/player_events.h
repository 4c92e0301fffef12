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

protected:
    ~PlayerEvents() = default;
};

} // namespace tovarune
