#pragma once

#include "media/hw/gl_functions.h"
#include "media/hw/hardware_renderer.h"

#include <cstdint>
#include <vector>

namespace tovarune {

// Copies a core's frame out of its framebuffer, in the player's context,
// leaving the core's bindings as they were. Directly, the frame waits for the
// GPU to finish it; through pixel-pack buffers, it is fetched one frame later,
// when it is done, and the GPU never waits.
class GlReadBack {
public:
    // Uses pixel-pack buffers, where the context has them.
    void set_delayed(bool delayed) { delayed_ = delayed; }
    bool delayed() const { return delayed_; }

    // The width x height frame at the framebuffer's bottom-left corner; with
    // pixel-pack buffers, the one read before it (or nothing, the first time).
    // Valid until the next call.
    ReadPixels read(const GlFunctions &gl, GLuint framebuffer, unsigned width, unsigned height);
    // Deletes the buffers; what they held is never shown.
    void reset(const GlFunctions &gl);

private:
    void read_into(const GlFunctions &gl, GLuint framebuffer, unsigned width, unsigned height,
                   void *destination);

    bool delayed_ = false;
    std::vector<std::uint8_t> pixels_;
    GLuint buffers_[2] = {0, 0};
    GLsizeiptr buffer_size_ = 0;
    int next_ = 0;               // the buffer the next frame goes into
    unsigned waiting_width_ = 0; // the frame in the other buffer; 0: none
    unsigned waiting_height_ = 0;
};

} // namespace tovarune
