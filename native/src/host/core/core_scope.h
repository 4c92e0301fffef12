#pragma once

#include "core/callback_slots.h"
#include "core/core_call.h"

#include <thread>

namespace tovarune {

// The time a thread spends inside one player's core. The thread is inside a
// core (CoreCall), and the player's callback slot takes calls from this thread
// alone: a core that calls back from a thread of its own, outside the calls it
// was given, would race the player's own work on its state.
class CoreScope {
public:
    explicit CoreScope(const CoreCallbacks *slot)
        : slot_(slot), previous_(enter_callback_slot(slot)) {}
    ~CoreScope() { leave_callback_slot(slot_, previous_); }
    CoreScope(const CoreScope &) = delete;
    CoreScope &operator=(const CoreScope &) = delete;

private:
    CoreCall call_;
    const CoreCallbacks *slot_;
    std::thread::id previous_;
};

} // namespace tovarune
