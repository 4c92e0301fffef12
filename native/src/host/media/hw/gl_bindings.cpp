#include "media/hw/gl_bindings.h"

namespace tovarune {

// What is saved is also set to the defaults the frontend's own calls expect:
// no buffer bound (a pointer is then memory, not an offset into one), rows
// packed at four bytes.
SavedBindings::SavedBindings(const GlFunctions &gl) : gl_(gl) {
    if (gl.separate_read_framebuffer) {
        gl.GetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_framebuffer_);
        gl.GetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_framebuffer_);
    } else {
        gl.GetIntegerv(GL_FRAMEBUFFER_BINDING, &draw_framebuffer_);
    }
    gl.GetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
    gl.GetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer_);
    if (gl.buffer_bindings) {
        gl.GetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &pack_buffer_);
        gl.GetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpack_buffer_);
        gl.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        gl.BindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    }
    gl.GetIntegerv(GL_PACK_ALIGNMENT, &alignment_);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    if (gl.pack_parameters) {
        gl.GetIntegerv(GL_PACK_ROW_LENGTH, &row_length_);
        gl.GetIntegerv(GL_PACK_SKIP_ROWS, &skip_rows_);
        gl.GetIntegerv(GL_PACK_SKIP_PIXELS, &skip_pixels_);
        gl.PixelStorei(GL_PACK_ROW_LENGTH, 0);
        gl.PixelStorei(GL_PACK_SKIP_ROWS, 0);
        gl.PixelStorei(GL_PACK_SKIP_PIXELS, 0);
    }
    if (gl.swap_bytes) {
        gl.GetIntegerv(GL_PACK_SWAP_BYTES, &swap_bytes_);
        gl.PixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    }
}

SavedBindings::~SavedBindings() {
    if (gl_.swap_bytes) {
        gl_.PixelStorei(GL_PACK_SWAP_BYTES, swap_bytes_);
    }
    if (gl_.pack_parameters) {
        gl_.PixelStorei(GL_PACK_SKIP_PIXELS, skip_pixels_);
        gl_.PixelStorei(GL_PACK_SKIP_ROWS, skip_rows_);
        gl_.PixelStorei(GL_PACK_ROW_LENGTH, row_length_);
    }
    gl_.PixelStorei(GL_PACK_ALIGNMENT, alignment_);
    if (gl_.buffer_bindings) {
        gl_.BindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpack_buffer_));
        gl_.BindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(pack_buffer_));
    }
    gl_.BindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer_));
    gl_.BindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
    if (gl_.separate_read_framebuffer) {
        gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_framebuffer_));
        gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_framebuffer_));
    } else {
        gl_.BindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(draw_framebuffer_));
    }
}

} // namespace tovarune
