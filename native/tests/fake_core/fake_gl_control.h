#pragma once

// The knobs and the log of the fake core's OpenGL build (fake_gl_core), which
// renders through the frontend's hardware context. A test reaches them
// through `fake_gl_control`.

#include <libretro.h>

#include <cstddef>
#include <cstdint>

struct FakeGlControl {
    // What the core asks in retro_load_game: the request as it hands it over
    // (context type, version, depth, stencil, origin, cache_context).
    retro_hw_render_callback request;
    bool need_context;      // refuses the game without a context
    unsigned width, height; // of each frame it renders
    std::uint8_t shade;     // the red of the background, to tell players apart

    // What the core saw.
    bool accepted;
    bool filled;       // SET_HW_RENDER had filled in the frontend's two functions
    char version[96];  // GL_VERSION at context_reset
    int profile;       // GL_CONTEXT_PROFILE_MASK there (desktop GL 3.2 on)
    bool kept_context; // context_reset found what an earlier reset left
    bool state_kept;   // every read-back left the core's GL state as it was
    bool current[512]; // a context was current in each call of the fake core's log
};

extern "C" RETRO_API FakeGlControl *fake_gl_control();
