#include "media/hw/gl_read_back.h"

#include "media/hw/gl_bindings.h"

#include <cstring>

namespace tovarune {

void GlReadBack::read_into(const GlFunctions &gl, GLuint framebuffer, unsigned width,
                           unsigned height, void *destination) {
    const GLenum target = gl.separate_read_framebuffer ? GL_READ_FRAMEBUFFER : GL_FRAMEBUFFER;
    gl.BindFramebuffer(target, framebuffer);
    // The read buffer belongs to the framebuffer, where a core may have set it.
    GLint read_buffer = GL_COLOR_ATTACHMENT0;
    if (gl.ReadBuffer != nullptr) {
        gl.GetIntegerv(GL_READ_BUFFER, &read_buffer);
        gl.ReadBuffer(GL_COLOR_ATTACHMENT0);
    }
    gl.ReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                  gl.reads_bgra ? GL_BGRA : GL_RGBA, GL_UNSIGNED_BYTE, destination);
    if (gl.ReadBuffer != nullptr) {
        gl.ReadBuffer(static_cast<GLenum>(read_buffer));
    }
}

ReadPixels GlReadBack::read(const GlFunctions &gl, GLuint framebuffer, unsigned width,
                            unsigned height) {
    const SavedBindings kept(gl);
    const std::size_t size = std::size_t{width} * height * 4;
    ReadPixels pixels{nullptr, width, height, gl.reads_bgra};
    if (!delayed_ || !gl.pixel_pack_buffers) {
        pixels_.resize(size);
        read_into(gl, framebuffer, width, height, pixels_.data());
        pixels.rows = pixels_.data();
        return pixels;
    }
    if (buffers_[0] == 0 || buffer_size_ < static_cast<GLsizeiptr>(size)) {
        reset(gl);
        gl.GenBuffers(2, buffers_);
        buffer_size_ = static_cast<GLsizeiptr>(size);
        for (const GLuint buffer : buffers_) {
            gl.BindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            gl.BufferData(GL_PIXEL_PACK_BUFFER, buffer_size_, nullptr, GL_STREAM_READ);
        }
    }
    gl.BindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[next_]);
    read_into(gl, framebuffer, width, height, nullptr);
    next_ = 1 - next_;
    pixels.width = waiting_width_;
    pixels.height = waiting_height_;
    waiting_width_ = width;
    waiting_height_ = height;
    const std::size_t waiting = std::size_t{pixels.width} * pixels.height * 4;
    if (waiting == 0) {
        return pixels;
    }
    gl.BindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[next_]);
    const void *mapped = gl.MapBufferRange(GL_PIXEL_PACK_BUFFER, 0,
                                           static_cast<GLsizeiptr>(waiting), GL_MAP_READ_BIT);
    if (mapped != nullptr) {
        pixels_.resize(waiting);
        std::memcpy(pixels_.data(), mapped, waiting);
        gl.UnmapBuffer(GL_PIXEL_PACK_BUFFER);
        pixels.rows = pixels_.data();
    }
    return pixels;
}

void GlReadBack::reset(const GlFunctions &gl) {
    if (buffers_[0] != 0) {
        gl.DeleteBuffers(2, buffers_);
    }
    buffers_[0] = buffers_[1] = 0;
    buffer_size_ = 0;
    next_ = 0;
    waiting_width_ = waiting_height_ = 0;
}

} // namespace tovarune
