// The read-back of a frame a core rendered with OpenGL, per frame, at three
// sizes: straight into memory, and through pixel-pack buffers one frame late;
// beside a frame that is drawn (a clear) and waited for but not read.

#include "media/hw/hardware_renderer.h"

#include <GL/glcorearb.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

enum class Mode { draw_only, direct, pixel_pack };

template <typename Function>
void load(tovarune::HardwareRenderer &renderer, Function &function, const char *name) {
    const retro_proc_address_t found = renderer.proc_address(name);
    std::memcpy(&function, &found, sizeof found);
}

void read_back(benchmark::State &state, unsigned width, unsigned height, Mode mode) {
    retro_hw_render_callback request{};
    request.context_type = RETRO_HW_CONTEXT_OPENGL_CORE;
    request.version_major = 3;
    request.version_minor = 3;
    bool refused = false;
    const auto renderer = tovarune::create_gl_renderer(request, refused);
    if (renderer == nullptr || !renderer->make_current()) {
        state.SkipWithError("no OpenGL context on this machine");
        return;
    }
    PFNGLBINDFRAMEBUFFERPROC bind = nullptr;
    PFNGLCLEARCOLORPROC clear_color = nullptr;
    PFNGLCLEARPROC clear = nullptr;
    PFNGLFINISHPROC finish = nullptr;
    load(*renderer, bind, "glBindFramebuffer");
    load(*renderer, clear_color, "glClearColor");
    load(*renderer, clear, "glClear");
    load(*renderer, finish, "glFinish");
    if (!renderer->create_target(width, height, true, true)) {
        state.SkipWithError("no framebuffer of that size");
        renderer->release();
        return;
    }
    renderer->set_delayed_read(mode == Mode::pixel_pack);
    float shade = 0.0f;
    for (auto _ : state) {
        bind(GL_FRAMEBUFFER, static_cast<GLuint>(renderer->target()));
        shade = shade > 1.0f ? 0.0f : shade + 0.01f;
        clear_color(shade, 0.5f, 0.25f, 1.0f);
        clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        if (mode == Mode::draw_only) {
            finish();
        } else {
            benchmark::DoNotOptimize(renderer->read(width, height).rows);
        }
    }
    renderer->drop_target();
    renderer->release();
}

const bool registered = [] {
    const std::pair<Mode, const char *> modes[] = {
        {Mode::draw_only, "draw_only"}, {Mode::direct, "direct"}, {Mode::pixel_pack, "pixel_pack"}};
    for (const auto &[width, height] : {std::pair{320u, 240u}, {640u, 480u}, {1280u, 960u}}) {
        for (const auto &[mode, mode_name] : modes) {
            const std::string name = "read_back/" + std::to_string(width) + "x" +
                                     std::to_string(height) + "/" + mode_name;
            benchmark::RegisterBenchmark(name.c_str(), read_back, width, height, mode)
                ->Repetitions(3);
        }
    }
    return true;
}();

} // namespace
