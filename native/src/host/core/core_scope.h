#pragma once

#include "core/callback_slots.h"
#include "core/core_call.h"
#include "media/hw/hardware_render.h"

#include <thread>

namespace tovarune {

// The time a thread spends inside one player's core. The thread is inside a
// core (CoreCall), and the player's callback slot takes calls from this thread
// alone: a core that calls back from a thread of its own, outside the calls it
// was given, would race the player's own work on its state. The player's
// graphics context, when it has one, is current on the thread meanwhile.
class CoreScope {
public:
    explicit CoreScope(const CoreCallbacks *slot, HardwareRender *render = nullptr)
        : slot_(slot), previous_(enter_callback_slot(slot)), context_(render) {}
    ~CoreScope() { leave_callback_slot(slot_, previous_); }
    CoreScope(const CoreScope &) = delete;
    CoreScope &operator=(const CoreScope &) = delete;

private:
    CoreCall call_;
    const CoreCallbacks *slot_;
    std::thread::id previous_;
    ContextScope context_;
};

} // namespace tovarune
