#pragma once

#include <libretro.h>

#include <cstdint>
#include <memory>

namespace tovarune {

// The picture a read-back gives: rows from the target's bottom up (OpenGL's
// order), width x 4 bytes each, blue-green-red-x or red-green-blue-x.
struct ReadPixels {
    const std::uint8_t *rows = nullptr; // null: nothing to show yet
    unsigned width = 0, height = 0;
    bool bgra = true;
};

// One rendering API's side of a player's hardware rendering: its context and
// the target the core draws into. OpenGL is the one kind today; another (such
// as Vulkan) would be a second implementation. Everything but make_current and
// proc_address runs with the context current on the calling thread.
class HardwareRenderer {
public:
    virtual ~HardwareRenderer() = default;

    // Binds the context to the calling thread, and back to what was bound there.
    virtual bool make_current() = 0;
    virtual void release() = 0;
    virtual retro_proc_address_t proc_address(const char *name) = 0;

    // The target, replacing any before it; false when it cannot be made.
    virtual bool create_target(unsigned width, unsigned height, bool depth, bool stencil) = 0;
    // Grows the target in place; false when it cannot.
    virtual bool grow_target(unsigned width, unsigned height) = 0;
    virtual void drop_target() = 0;
    // What the core is given to draw into (an OpenGL framebuffer name).
    virtual std::uintptr_t target() const = 0;
    virtual unsigned target_width() const = 0;
    virtual unsigned target_height() const = 0;

    // The width x height frame at the target's bottom-left corner (or, when
    // delayed, the one before it).
    virtual ReadPixels read(unsigned width, unsigned height) = 0;
    virtual void set_delayed_read(bool delayed) = 0;
};

// An OpenGL renderer of the kind `request` names (its context_type, version
// and debug flag); null when the type is not OpenGL's (`refused` true) or
// when no such context can be made on this machine (`refused` false).
std::unique_ptr<HardwareRenderer> create_gl_renderer(const retro_hw_render_callback &request,
                                                     bool &refused);

} // namespace tovarune
