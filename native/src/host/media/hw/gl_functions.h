#pragma once

#include "media/hw/graphics_context.h"

#include <GL/glcorearb.h>

namespace tovarune {

// The OpenGL entry points the frontend itself calls in a player's context:
// its framebuffer and the read-back. The same names serve desktop GL and
// OpenGL ES; what one of them lacks is null.
struct GlFunctions {
    PFNGLGETSTRINGPROC GetString = nullptr;
    PFNGLGETINTEGERVPROC GetIntegerv = nullptr;
    PFNGLPIXELSTOREIPROC PixelStorei = nullptr;
    PFNGLREADPIXELSPROC ReadPixels = nullptr;
    PFNGLREADBUFFERPROC ReadBuffer = nullptr; // not in OpenGL ES 2
    PFNGLGENTEXTURESPROC GenTextures = nullptr;
    PFNGLBINDTEXTUREPROC BindTexture = nullptr;
    PFNGLTEXIMAGE2DPROC TexImage2D = nullptr;
    PFNGLTEXPARAMETERIPROC TexParameteri = nullptr;
    PFNGLDELETETEXTURESPROC DeleteTextures = nullptr;
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
    PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage = nullptr;
    PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
    // Pixel-pack buffers: desktop GL 3.0 and OpenGL ES 3 on.
    PFNGLGENBUFFERSPROC GenBuffers = nullptr;
    PFNGLBINDBUFFERPROC BindBuffer = nullptr;
    PFNGLBUFFERDATAPROC BufferData = nullptr;
    PFNGLMAPBUFFERRANGEPROC MapBufferRange = nullptr;
    PFNGLUNMAPBUFFERPROC UnmapBuffer = nullptr;
    PFNGLDELETEBUFFERSPROC DeleteBuffers = nullptr;

    bool embedded = false; // OpenGL ES
    int major = 0;         // the context's version
    int minor = 0;
    // What the context has beside its version.
    bool separate_read_framebuffer = false; // GL_READ_FRAMEBUFFER (GL 3, ES 3)
    bool pack_parameters = false;           // GL_PACK_ROW_LENGTH and skips (GL, ES 3)
    bool swap_bytes = false;                // GL_PACK_SWAP_BYTES (desktop GL)
    bool buffer_bindings = false;           // pixel buffer bindings (GL 2.1, ES 3)
    bool pixel_pack_buffers = false;        // buffers the frontend can map (GL 3, ES 3)
    bool packed_depth_stencil = false;
    bool reads_bgra = false;

    // From the context current on this thread; false when the frontend's own
    // needs are missing.
    bool load(GraphicsContext &context);
};

} // namespace tovarune
