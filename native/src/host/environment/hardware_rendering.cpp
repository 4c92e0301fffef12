#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

// Only OpenGL contexts are made (media/hw/). No negotiation interface is
// answered: libretro defines one for Vulkan alone, which is not served.
bool set_hw_render(Player &player, void *data) {
    return player.hardware_render().negotiate(static_cast<retro_hw_render_callback *>(data));
}

bool get_preferred_hw_render(Player &, void *data) {
    return write_answer(data, static_cast<unsigned>(RETRO_HW_CONTEXT_OPENGL_CORE));
}

// Each player's context is its own and the frontend draws nothing in it, so
// the core may count on it as on a shared one.
bool set_hw_shared_context(Player &, void *) { return true; }

} // namespace tovarune::environment
