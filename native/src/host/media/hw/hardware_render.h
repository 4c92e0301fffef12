#pragma once

#include "media/frame_sink.h"

#include <libretro.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace tovarune {

class HardwareRenderer;

// A player's side of libretro's hardware rendering: what the core asked with
// RETRO_ENVIRONMENT_SET_HW_RENDER, the context made for it (the player's own,
// whatever the engine renders with), the framebuffer the core draws into, and
// the read-back of its frames into the software frame path.
//
// The context is current on the thread inside the core for every call into
// it (CoreScope), and released after, so the player may move between threads.
class HardwareRender {
public:
    HardwareRender();
    ~HardwareRender();
    HardwareRender(const HardwareRender &) = delete;
    HardwareRender &operator=(const HardwareRender &) = delete;

    // The answer to SET_HW_RENDER. An OpenGL request gets a context, made
    // here, and the struct its two frontend functions; a zeroed one returns
    // the core to software frames; any other kind is refused.
    bool negotiate(retro_hw_render_callback *core_request);
    // The core's last request failed for want of a context, not of its kind.
    bool context_failed() const { return context_failed_; }
    // A request is accepted and its context made.
    bool active() const { return accepted_; }

    // After the core loaded its game and before each frame, with the game's
    // largest geometry: makes or grows the framebuffer. `reset` becomes the
    // core's context_reset when it is due (the context is new to the core).
    // False when no framebuffer could be made.
    bool prepare(unsigned max_width, unsigned max_height, retro_hw_context_reset_t &reset);
    // A larger picture to come (SET_SYSTEM_AV_INFO, SET_GEOMETRY): the
    // framebuffer grows to it, at once when called inside the core.
    void set_max_size(unsigned width, unsigned height);
    // The core's context_destroy while its context holds its resources; null
    // otherwise. Taking it means it will be called.
    retro_hw_context_reset_t take_context_destroy();
    // The game was unloaded: the framebuffer goes, and the context too unless
    // the core asked to keep it (cache_context) for its next game.
    void end_game();
    // Nothing of the core's is left: the context goes.
    void forget();

    // A frame the core rendered (RETRO_HW_FRAME_BUFFER_VALID), read back
    // upright into `sink`. Inside the core's call, which has the context.
    void present(unsigned width, unsigned height, FrameSink *sink);
    // Fetches each frame one frame late through pixel-pack buffers, where the
    // context has them, so that the GPU never waits for the read.
    void set_delayed_read(bool delayed);

    // Around every call into the core (CoreScope): makes this context current
    // on the calling thread and returns what was current there before, which
    // leave() makes current again.
    HardwareRender *enter();
    static void leave(HardwareRender *before);

private:
    void make_current_here();
    void drop_renderer();

    std::unique_ptr<HardwareRenderer> renderer_;
    retro_hw_render_callback callback_{}; // the accepted request
    bool accepted_ = false;
    bool prepared_ = false;   // the framebuffer exists
    bool reset_done_ = false; // the core has resources in the context
    bool context_failed_ = false;
    bool delayed_read_ = false;
    unsigned max_width_ = 0, max_height_ = 0; // told by set_max_size
    std::vector<std::uint8_t> frame_;         // an upright copy, where one is needed
};

// While it lives, the player's context is current on this thread.
// A null render does nothing.
class ContextScope {
public:
    explicit ContextScope(HardwareRender *render)
        : engaged_(render != nullptr), before_(engaged_ ? render->enter() : nullptr) {}
    ~ContextScope() {
        if (engaged_) {
            HardwareRender::leave(before_);
        }
    }
    ContextScope(const ContextScope &) = delete;
    ContextScope &operator=(const ContextScope &) = delete;

private:
    bool engaged_;
    HardwareRender *before_;
};

} // namespace tovarune
