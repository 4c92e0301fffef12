#pragma once

#include <libretro.h>

#include <memory>

namespace tovarune {

// The kind of context a core asked for, as the platform is to make it.
struct ContextRequest {
    enum class Api { desktop_compatibility, desktop_core, embedded };
    Api api = Api::desktop_compatibility;
    // 0.0 leaves the version to the driver (compatibility contexts).
    unsigned major = 0;
    unsigned minor = 0;
    bool debug = false;
};

// A rendering context of the player's own, beside whatever the engine renders
// with. It is current on one thread at a time: make_current() binds it to the
// calling thread, keeping aside what was bound there before (the engine's own
// GL context, say), and release() binds that back.
class GraphicsContext {
public:
    virtual ~GraphicsContext() = default;
    virtual bool make_current() = 0;
    virtual void release() = 0;
    // An entry point of the context's API, core functions included; null when
    // it has none.
    virtual retro_proc_address_t proc_address(const char *name) = 0;
};

// A new OpenGL context, current nowhere; null when this machine cannot make one
// (no driver, or not of the kind and version asked).
std::unique_ptr<GraphicsContext> create_gl_context(const ContextRequest &request);

// An entry point of the platform's OpenGL without any context current; null
// when there is none to be had that way.
retro_proc_address_t gl_proc_address_without_context(const char *name);

} // namespace tovarune
