#include "media/hw/gl_framebuffer.h"

#include "media/hw/gl_bindings.h"

namespace tovarune {

bool GlFramebuffer::create(const GlFunctions &gl, unsigned width, unsigned height, bool depth,
                           bool stencil) {
    destroy(gl);
    const SavedBindings kept(gl);
    gl.GenFramebuffers(1, &framebuffer_);
    gl.GenTextures(1, &colour_);
    gl.BindTexture(GL_TEXTURE_2D, colour_);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Stencil alone is not a libretro combination: it is ignored.
    stencil_ = depth && stencil && gl.packed_depth_stencil;
    if (depth) {
        gl.GenRenderbuffers(1, &depth_);
    }
    if (!allocate(gl, width, height)) {
        return false;
    }
    gl.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
    if (depth_ != 0) {
        gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    }
    if (stencil_) {
        gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    }
    return gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

bool GlFramebuffer::grow(const GlFunctions &gl, unsigned width, unsigned height) {
    if (width <= width_ && height <= height_) {
        return true;
    }
    const SavedBindings kept(gl);
    return allocate(gl, width > width_ ? width : width_, height > height_ ? height : height_);
}

bool GlFramebuffer::allocate(const GlFunctions &gl, unsigned width, unsigned height) {
    // Within what the driver can hold, which a core's geometry may exceed.
    GLint largest_texture = 0, largest_renderbuffer = 0;
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &largest_texture);
    gl.GetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest_renderbuffer);
    const auto limit = static_cast<unsigned>(
        largest_texture < largest_renderbuffer ? largest_texture : largest_renderbuffer);
    if (width == 0 || height == 0 || width > limit || height > limit) {
        return false;
    }
    const auto w = static_cast<GLsizei>(width), h = static_cast<GLsizei>(height);
    gl.BindTexture(GL_TEXTURE_2D, colour_);
    gl.TexImage2D(GL_TEXTURE_2D, 0, gl.embedded && gl.major < 3 ? GL_RGBA : GL_RGBA8, w, h, 0,
                  GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (depth_ != 0) {
        gl.BindRenderbuffer(GL_RENDERBUFFER, depth_);
        const GLenum format = stencil_                      ? GL_DEPTH24_STENCIL8
                              : gl.embedded && gl.major < 3 ? GL_DEPTH_COMPONENT16
                                                            : GL_DEPTH_COMPONENT24;
        gl.RenderbufferStorage(GL_RENDERBUFFER, format, w, h);
    }
    width_ = width;
    height_ = height;
    return true;
}

void GlFramebuffer::destroy(const GlFunctions &gl) {
    if (framebuffer_ != 0) {
        gl.DeleteFramebuffers(1, &framebuffer_);
        gl.DeleteTextures(1, &colour_);
    }
    if (depth_ != 0) {
        gl.DeleteRenderbuffers(1, &depth_);
    }
    framebuffer_ = colour_ = depth_ = 0;
    width_ = height_ = 0;
}

} // namespace tovarune
