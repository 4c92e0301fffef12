#include "media/hw/gl_functions.h"

#include "media/hw/extension_list.h"

#include <cstdio>
#include <cstring>

namespace tovarune {

namespace {

template <typename Function>
bool bind(GraphicsContext &context, Function &function, const char *name) {
    const retro_proc_address_t found = context.proc_address(name);
    std::memcpy(&function, &found, sizeof function);
    return function != nullptr;
}

// Each name of the extension list, for a context that has no single string.
bool has_extension(const GlFunctions &gl, PFNGLGETSTRINGIPROC get_string_i, const char *name) {
    if (get_string_i == nullptr) {
        const auto *list = reinterpret_cast<const char *>(gl.GetString(GL_EXTENSIONS));
        return lists_extension(list, name);
    }
    GLint count = 0;
    gl.GetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint index = 0; index < count; ++index) {
        const auto *each = reinterpret_cast<const char *>(get_string_i(GL_EXTENSIONS, index));
        if (each != nullptr && std::strcmp(each, name) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

bool GlFunctions::load(GraphicsContext &context) {
    const bool essential =
        bind(context, GetString, "glGetString") && bind(context, GetIntegerv, "glGetIntegerv") &&
        bind(context, PixelStorei, "glPixelStorei") && bind(context, ReadPixels, "glReadPixels") &&
        bind(context, GenTextures, "glGenTextures") &&
        bind(context, BindTexture, "glBindTexture") && bind(context, TexImage2D, "glTexImage2D") &&
        bind(context, TexParameteri, "glTexParameteri") &&
        bind(context, DeleteTextures, "glDeleteTextures") &&
        bind(context, GenFramebuffers, "glGenFramebuffers") &&
        bind(context, BindFramebuffer, "glBindFramebuffer") &&
        bind(context, FramebufferTexture2D, "glFramebufferTexture2D") &&
        bind(context, FramebufferRenderbuffer, "glFramebufferRenderbuffer") &&
        bind(context, CheckFramebufferStatus, "glCheckFramebufferStatus") &&
        bind(context, DeleteFramebuffers, "glDeleteFramebuffers") &&
        bind(context, GenRenderbuffers, "glGenRenderbuffers") &&
        bind(context, BindRenderbuffer, "glBindRenderbuffer") &&
        bind(context, RenderbufferStorage, "glRenderbufferStorage") &&
        bind(context, DeleteRenderbuffers, "glDeleteRenderbuffers");
    const char *version =
        essential ? reinterpret_cast<const char *>(GetString(GL_VERSION)) : nullptr;
    if (version == nullptr) {
        return false;
    }
    embedded = std::strncmp(version, "OpenGL ES", 9) == 0;
    const char *number = version + std::strcspn(version, "0123456789");
    major = minor = 0;
    std::sscanf(number, "%d.%d", &major, &minor);
    PFNGLGETSTRINGIPROC get_string_i = nullptr;
    if (major >= 3) {
        bind(context, get_string_i, "glGetStringi");
    }
    separate_read_framebuffer = major >= 3;
    pack_parameters = !embedded || major >= 3;
    swap_bytes = !embedded;
    buffer_bindings = embedded ? major >= 3 : major > 2 || (major == 2 && minor >= 1);
    if (!embedded || major >= 3) {
        bind(context, ReadBuffer, "glReadBuffer");
    }
    buffer_bindings = buffer_bindings && bind(context, BindBuffer, "glBindBuffer");
    pixel_pack_buffers = buffer_bindings && major >= 3 &&
                         bind(context, GenBuffers, "glGenBuffers") &&
                         bind(context, BufferData, "glBufferData") &&
                         bind(context, MapBufferRange, "glMapBufferRange") &&
                         bind(context, UnmapBuffer, "glUnmapBuffer") &&
                         bind(context, DeleteBuffers, "glDeleteBuffers");
    packed_depth_stencil = !embedded || major >= 3 ||
                           has_extension(*this, get_string_i, "GL_OES_packed_depth_stencil");
    // OpenGL ES promises RGBA reads alone: BGRA needs an extension, which the
    // drivers that lack it lack.
    reads_bgra = !embedded;
    return true;
}

} // namespace tovarune
