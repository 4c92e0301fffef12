#pragma once

#include "media/hw/gl_functions.h"

namespace tovarune {

// The framebuffer a core renders into: an RGBA8 colour texture, with depth or
// packed depth and stencil as the core asked. Made, grown and deleted in the
// player's context, current on the calling thread, leaving the core's
// bindings as they were.
class GlFramebuffer {
public:
    // False when the driver cannot complete it at that size.
    bool create(const GlFunctions &gl, unsigned width, unsigned height, bool depth, bool stencil);
    // Room for at least width x height, in the same framebuffer object (the
    // name the core was given stays good).
    bool grow(const GlFunctions &gl, unsigned width, unsigned height);
    void destroy(const GlFunctions &gl);

    GLuint id() const { return framebuffer_; }
    unsigned width() const { return width_; }
    unsigned height() const { return height_; }

private:
    bool allocate(const GlFunctions &gl, unsigned width, unsigned height);

    GLuint framebuffer_ = 0, colour_ = 0, depth_ = 0;
    bool stencil_ = false;
    unsigned width_ = 0, height_ = 0;
};

} // namespace tovarune
