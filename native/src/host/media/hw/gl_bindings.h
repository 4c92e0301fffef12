#pragma once

#include "media/hw/gl_functions.h"

namespace tovarune {

// The bindings the frontend changes while it works in a core's context, set
// back as the core left them when this goes: the core's GL state is its own.
class SavedBindings {
public:
    explicit SavedBindings(const GlFunctions &gl);
    ~SavedBindings();
    SavedBindings(const SavedBindings &) = delete;
    SavedBindings &operator=(const SavedBindings &) = delete;

private:
    const GlFunctions &gl_;
    GLint draw_framebuffer_ = 0, read_framebuffer_ = 0;
    GLint texture_ = 0, renderbuffer_ = 0;
    GLint pack_buffer_ = 0, unpack_buffer_ = 0;
    GLint alignment_ = 4, row_length_ = 0, skip_rows_ = 0, skip_pixels_ = 0, swap_bytes_ = 0;
};

} // namespace tovarune
