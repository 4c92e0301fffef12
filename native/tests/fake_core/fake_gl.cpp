// The fake core's OpenGL renderer: on a background of its shade, a red
// rectangle cleared through a scissor at the picture's top left, and, in a
// core 3.3 context, a green one drawn by a shader where a scissored clear set
// the stencil. Rectangles are placed in picture rows, top down, whichever
// origin the core asked for.
#include "fake_gl.h"
#include "fake_gl_control.h"

#include <GL/glcorearb.h>

#include <cstring>

namespace {

FakeGlControl control;

// clang-format off
#define GL_FUNCTIONS(X)                                                                            \
    X(GETSTRING, GetString) X(GETINTEGERV, GetIntegerv) X(BINDFRAMEBUFFER, BindFramebuffer)        \
    X(VIEWPORT, Viewport) X(ENABLE, Enable) X(DISABLE, Disable) X(SCISSOR, Scissor)                \
    X(CLEARCOLOR, ClearColor) X(CLEARSTENCIL, ClearStencil) X(CLEAR, Clear)                       \
    X(STENCILFUNC, StencilFunc) X(GENTEXTURES, GenTextures) X(BINDTEXTURE, BindTexture)          \
    X(ISTEXTURE, IsTexture) X(PIXELSTOREI, PixelStorei) X(GENBUFFERS, GenBuffers)                  \
    X(BINDBUFFER, BindBuffer) X(CREATESHADER, CreateShader) X(SHADERSOURCE, ShaderSource)          \
    X(COMPILESHADER, CompileShader) X(CREATEPROGRAM, CreateProgram) X(ATTACHSHADER, AttachShader)  \
    X(LINKPROGRAM, LinkProgram) X(USEPROGRAM, UseProgram) X(GENVERTEXARRAYS, GenVertexArrays)      \
    X(BINDVERTEXARRAY, BindVertexArray) X(DRAWARRAYS, DrawArrays)
// clang-format on
#define DECLARE(type, name) PFNGL##type##PROC name = nullptr;
struct Gl {
    GL_FUNCTIONS(DECLARE)
} gl;
#undef DECLARE

GLuint program = 0, vertex_array = 0, pack_buffer = 0, marker = 0;

bool core_profile() { return control.request.context_type == RETRO_HW_CONTEXT_OPENGL_CORE; }

void load_functions(){
#define LOAD(type, name)                                                                           \
    {                                                                                              \
        retro_proc_address_t found = control.request.get_proc_address("gl" #name);                 \
        std::memcpy(&gl.name, &found, sizeof found);                                               \
    }
    GL_FUNCTIONS(LOAD)
#undef LOAD
}

GLuint compile(GLenum kind, const char *source) {
    const GLuint shader = gl.CreateShader(kind);
    gl.ShaderSource(shader, 1, &source, nullptr);
    gl.CompileShader(shader);
    return shader;
}

void context_reset() {
    fake_core_record("context_reset");
    load_functions();
    std::strncpy(control.version, reinterpret_cast<const char *>(gl.GetString(GL_VERSION)),
                 sizeof control.version - 1);
    control.profile = 0;
    if (core_profile()) {
        gl.GetIntegerv(GL_CONTEXT_PROFILE_MASK, &control.profile);
        program = gl.CreateProgram();
        gl.AttachShader(program, compile(GL_VERTEX_SHADER,
                                         "#version 330 core\nvoid main() { gl_Position = vec4("
                                         "float((gl_VertexID & 1) * 4 - 1), "
                                         "float((gl_VertexID & 2) * 2 - 1), 0.0, 1.0); }"));
        gl.AttachShader(program, compile(GL_FRAGMENT_SHADER,
                                         "#version 330 core\nout vec4 colour;\n"
                                         "void main() { colour = vec4(0.0, 1.0, 0.0, 1.0); }"));
        gl.LinkProgram(program);
        gl.GenVertexArrays(1, &vertex_array);
        gl.GenBuffers(1, &pack_buffer);
    }
    // Left behind on purpose: only a context that was kept still has it.
    control.kept_context = marker != 0 && gl.IsTexture(marker);
    gl.GenTextures(1, &marker);
    gl.BindTexture(GL_TEXTURE_2D, marker);
    gl.BindTexture(GL_TEXTURE_2D, 0);
}

void context_destroy() { fake_core_record("context_destroy"); }

// A rectangle of the picture, from its top-left corner, as GL's scissor.
void scissor(GLint x, GLint top, GLsizei width, GLsizei height) {
    const auto rows = static_cast<GLint>(control.height);
    gl.Scissor(x, control.request.bottom_left_origin ? rows - top - height : top, width, height);
}

void pack_state(GLint (&state)[5]) {
    const GLenum names[] = {GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PIXEL_PACK_BUFFER_BINDING,
                            GL_READ_FRAMEBUFFER_BINDING, GL_DRAW_FRAMEBUFFER_BINDING};
    for (int i = 0; i < 5; ++i) {
        gl.GetIntegerv(names[i], &state[i]);
    }
}

} // namespace

extern "C" RETRO_API FakeGlControl *fake_gl_control() { return &control; }

void fake_gl_reset() {
    control = FakeGlControl{};
    control.request.context_type = RETRO_HW_CONTEXT_OPENGL_CORE;
    control.request.version_major = 3;
    control.request.version_minor = 3;
    control.request.depth = control.request.stencil = true;
    control.need_context = true;
    control.width = 8;
    control.height = 6;
    control.shade = 0x20;
    control.state_kept = true;
}

void fake_gl_saw(std::size_t call) {
    if (call < sizeof control.current && control.accepted) {
        const retro_proc_address_t found = control.request.get_proc_address("glGetString");
        PFNGLGETSTRINGPROC get_string = nullptr;
        std::memcpy(&get_string, &found, sizeof found);
        control.current[call] = get_string != nullptr && get_string(GL_VERSION) != nullptr;
    }
}

bool fake_gl_load_game(retro_environment_t environment) {
    control.request.context_reset = context_reset;
    control.request.context_destroy = context_destroy;
    control.request.get_current_framebuffer = nullptr;
    control.request.get_proc_address = nullptr;
    control.accepted = environment(RETRO_ENVIRONMENT_SET_HW_RENDER, &control.request);
    control.filled = control.request.get_current_framebuffer != nullptr &&
                     control.request.get_proc_address != nullptr;
    return control.accepted || !control.need_context;
}

void fake_gl_run(retro_video_refresh_t video_refresh) {
    if (!control.accepted || gl.Clear == nullptr) {
        return;
    }
    gl.BindFramebuffer(GL_FRAMEBUFFER,
                       static_cast<GLuint>(control.request.get_current_framebuffer()));
    gl.Viewport(0, 0, static_cast<GLsizei>(control.width), static_cast<GLsizei>(control.height));
    gl.Disable(GL_SCISSOR_TEST);
    gl.ClearColor(control.shade / 255.0f, 64 / 255.0f, 128 / 255.0f, 1.0f);
    gl.ClearStencil(0);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    gl.Enable(GL_SCISSOR_TEST);
    scissor(1, 1, 3, 2);
    gl.ClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    if (!core_profile()) {
        gl.Disable(GL_SCISSOR_TEST);
        video_refresh(RETRO_HW_FRAME_BUFFER_VALID, control.width, control.height, 0);
        return;
    }
    scissor(4, 3, 2, 3);
    gl.ClearStencil(1);
    gl.Clear(GL_STENCIL_BUFFER_BIT);
    gl.Disable(GL_SCISSOR_TEST);
    gl.Enable(GL_STENCIL_TEST);
    gl.StencilFunc(GL_EQUAL, 1, 0xFF);
    gl.UseProgram(program);
    gl.BindVertexArray(vertex_array);
    gl.DrawArrays(GL_TRIANGLES, 0, 3);
    gl.Disable(GL_STENCIL_TEST);

    // State of the core's own that a read-back must not disturb.
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.PixelStorei(GL_PACK_ROW_LENGTH, 3);
    gl.BindBuffer(GL_PIXEL_PACK_BUFFER, pack_buffer);
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    GLint before[5], after[5];
    pack_state(before);
    video_refresh(RETRO_HW_FRAME_BUFFER_VALID, control.width, control.height, 0);
    pack_state(after);
    control.state_kept = control.state_kept && std::memcmp(before, after, sizeof before) == 0;
}
