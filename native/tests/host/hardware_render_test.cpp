// Cores that render with OpenGL, through the player's own context: the
// contexts of each kind, the order of the contract, frames read back upright,
// players on threads, and the refusals.
#include "core/callbacks.h"
#include "core/core_library.h"
#include "fake_gl_control.h"
#include "media/hw/graphics_context.h"
#include "test_support.h"

#include <GL/glcorearb.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

namespace tovarune::testing {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

FakeGlControl &fake_gl_of(const Player &player) {
    using Get = FakeGlControl *(*)();
    return *reinterpret_cast<Get>(find_symbol(player.library(), "fake_gl_control"))();
}

Rgb pixel(const RecordingSink &sink, unsigned x, unsigned y) {
    const std::size_t at = (std::size_t{y} * sink.last_frame.width + x) * 4;
    return {sink.last_rgba[at], sink.last_rgba[at + 1], sink.last_rgba[at + 2]};
}

// Whether any OpenGL context is current on the calling thread.
bool context_current_here() {
    const retro_proc_address_t found = gl_proc_address_without_context("glGetString");
    PFNGLGETSTRINGPROC get_string = nullptr;
    std::memcpy(&get_string, &found, sizeof found);
    return get_string != nullptr && get_string(GL_VERSION) != nullptr;
}

class HardwareRender : public ::testing::Test {
protected:
    void SetUp() override {
        player.set_frame_sink(&sink);
        write_bytes(rom, {1});
    }
    FakeGlControl &gl() { return fake_gl_of(player); }
    FakeGlControl &knobs() { return core.exported<FakeGlControl>("fake_gl_control"); }
    bool play() { return player.load_core(core.path()) && player.load_game(rom); }

    FakeCore core{"fake_gl_core"};
    TempDir dir;
    std::string rom = dir.path("game.bin");
    RecordingSink sink;
    Player player;
};

// The background, the red rectangle at picture rows 1-2 and, from a shader in
// core contexts, the green one at rows 3-5: upright whichever origin the core
// draws with.
TEST_F(HardwareRender, EveryOpenGlKindRendersAndReadsBackUpright) {
    const Rgb background{0x20, 64, 128}, red{255, 0, 0}, green{0, 255, 0};
    // clang-format off
    const std::tuple<retro_hw_context_type, unsigned, unsigned, bool> kinds[] = { // version, bottom-left origin
        {RETRO_HW_CONTEXT_OPENGL_CORE, 3, 3, false}, {RETRO_HW_CONTEXT_OPENGL_CORE, 3, 3, true},
        {RETRO_HW_CONTEXT_OPENGL, 2, 1, true}, {RETRO_HW_CONTEXT_OPENGLES2, 0, 0, false},
        {RETRO_HW_CONTEXT_OPENGLES3, 0, 0, true}, {RETRO_HW_CONTEXT_OPENGLES_VERSION, 3, 1, false},
    };
    // clang-format on
    for (const auto &[type, major, minor, bottom_left] : kinds) {
        retro_hw_render_callback &request = knobs().request;
        request.context_type = type;
        request.version_major = major;
        request.version_minor = minor;
        request.bottom_left_origin = bottom_left;
        sink.frames = 0;
#ifdef _WIN32
        // WGL makes OpenGL ES contexts only where the driver has the ES
        // profile, which Wine under Xvfb lacks.
        if (type != RETRO_HW_CONTEXT_OPENGL && type != RETRO_HW_CONTEXT_OPENGL_CORE && !play()) {
            continue;
        }
#endif
        ASSERT_TRUE(play()) << type << " " << player.last_error();
        player.run_frame();
        const bool shader = type == RETRO_HW_CONTEXT_OPENGL_CORE;
        EXPECT_EQ(std::string(gl().version).rfind("OpenGL ES", 0) == 0,
                  type != RETRO_HW_CONTEXT_OPENGL && !shader);
        EXPECT_EQ(gl().profile, shader ? GL_CONTEXT_CORE_PROFILE_BIT : 0);
        ASSERT_EQ(sink.frames, 1) << type;
        EXPECT_EQ(sink.last_frame.width * 10 + sink.last_frame.height, 86u);
        const std::pair<std::array<unsigned, 2>, Rgb> spots[] = {
            {{0, 0}, background},
            {{1, 1}, red},
            {{3, 2}, red},
            {{1, 3}, background},
            {{4, 2}, background},
            {{4, 3}, shader ? green : background},
            {{5, 5}, shader ? green : background},
            {{6, 4}, background}};
        for (const auto &[at, colour] : spots) {
            EXPECT_EQ(pixel(sink, at[0], at[1]), colour) << type << " " << at[0] << "," << at[1];
        }
        EXPECT_TRUE(gl().state_kept);
        player.unload_core();
    }
}

// Current in every call from the game's load to its unload, and in nothing
// after; released after each call; the contract's order kept.
TEST_F(HardwareRender, TheContextIsCurrentForEveryCallOfTheGameInTheContractsOrder) {
    ASSERT_TRUE(play());
    EXPECT_TRUE(gl().filled);
    player.run_frame();
    EXPECT_FALSE(context_current_here());
    // The engine's own context, where it has one on this thread, comes back.
    const std::unique_ptr<GraphicsContext> engine =
        create_gl_context({ContextRequest::Api::desktop_compatibility, 0, 0, false});
    ASSERT_TRUE(engine != nullptr && engine->make_current());
    player.run_frame();
    EXPECT_TRUE(context_current_here());
    engine->release();
    std::vector<std::uint8_t> state;
    ASSERT_TRUE(player.save_state_to([&](std::size_t size) {
        state.resize(size);
        return state.data();
    }));
    EXPECT_TRUE(player.load_state_from(state.data(), state.size()));
    player.unload_core();
    const std::vector<std::string> calls = core.calls();
    const auto at = [&](const char *name) {
        return std::find(calls.begin(), calls.end(), name) - calls.begin();
    };
    const std::vector<std::string> order = {"retro_load_game",   "retro_get_system_av_info",
                                            "context_reset",     "retro_set_controller_port_device",
                                            "retro_run",         "retro_serialize",
                                            "retro_unserialize", "context_destroy",
                                            "retro_unload_game", "retro_deinit"};
    for (std::size_t step = 1; step < order.size(); ++step) {
        EXPECT_LT(at(order[step - 1].c_str()), at(order[step].c_str())) << order[step];
    }
    for (std::size_t call = 0; call < calls.size(); ++call) {
        const bool during_game = call > std::size_t(at("retro_load_game")) &&
                                 call <= std::size_t(at("retro_unload_game"));
        EXPECT_EQ(knobs().current[call], during_game) << calls[call];
    }
}

// Two players, each with its own context, moving between threads every frame.
TEST_F(HardwareRender, PlayersKeepTheirOwnContextsOnAnyThread) {
    RecordingSink other_sink;
    Player other;
    other.set_frame_sink(&other_sink);
    ASSERT_TRUE(play());
    ASSERT_TRUE(other.load_core(core.path())); // a private copy, with knobs of its own
    fake_gl_of(other).shade = 0x90;
    ASSERT_TRUE(other.load_game(rom));
    for (int round = 0; round < 4; ++round) {
        Player *first = round % 2 == 0 ? &player : &other;
        std::thread worker([&] { (first == &player ? other : player).run_frame(); });
        first->run_frame();
        worker.join();
        EXPECT_EQ(pixel(sink, 0, 0)[0], 0x20) << round;
        EXPECT_EQ(pixel(other_sink, 0, 0)[0], 0x90) << round;
    }
    EXPECT_EQ(sink.frames + other_sink.frames, 8);
}

TEST_F(HardwareRender, AnswersWhatLibretroDefinesAndRefusesWhatItCannotServe) {
    const CoreScope inside = player.enter_core();
    unsigned preferred = 0;
    EXPECT_TRUE(
        environment_callback(player, RETRO_ENVIRONMENT_GET_PREFERRED_HW_RENDER, &preferred));
    EXPECT_EQ(preferred, unsigned(RETRO_HW_CONTEXT_OPENGL_CORE));
    EXPECT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_SET_HW_SHARED_CONTEXT, nullptr));
    const retro_hw_render_context_negotiation_interface vulkan{
        RETRO_HW_RENDER_CONTEXT_NEGOTIATION_INTERFACE_VULKAN, 1};
    EXPECT_FALSE(environment_callback(
        player, RETRO_ENVIRONMENT_SET_HW_RENDER_CONTEXT_NEGOTIATION_INTERFACE, (void *)&vulkan));
    EXPECT_FALSE(environment_callback(player, RETRO_ENVIRONMENT_SET_HW_RENDER, nullptr));
    // clang-format off
    const std::tuple<retro_hw_context_type, unsigned, bool> refused[] = { // major; for want of a context
        {RETRO_HW_CONTEXT_VULKAN, 1, false}, {RETRO_HW_CONTEXT_DIRECT3D, 11, false},
        {RETRO_HW_CONTEXT_DUMMY, 0, false}, {RETRO_HW_CONTEXT_OPENGL_CORE, 9, true},
    };
    // clang-format on
    for (const auto &[type, major, context_failed] : refused) {
        retro_hw_render_callback request{};
        request.context_type = type;
        request.version_major = major;
        EXPECT_FALSE(environment_callback(player, RETRO_ENVIRONMENT_SET_HW_RENDER, &request));
        EXPECT_EQ(request.get_proc_address, nullptr);
        EXPECT_EQ(player.hardware_render().context_failed(), context_failed) << type;
    }
}

// A core that cannot do without a context says why; one that can plays on in
// software, as does one that gives its context up in the middle of a game.
TEST_F(HardwareRender, WithoutAContextCoresFailClearlyOrPlayInSoftware) {
    FakeGlControl &knobs = this->knobs();
    knobs.request.version_major = 9;
    EXPECT_FALSE(play());
    EXPECT_EQ(player.last_error(), Player::no_gl_context);
    knobs.need_context = false;
    ASSERT_TRUE(play());
    const std::uint16_t white = 0x7FFF;
    core->frame_data = &white;
    core->frame_width = core->frame_height = 1;
    core->frame_pitch = 2;
    player.run_frame();
    EXPECT_EQ(sink.last_frame.width, 1u);

    knobs.request.version_major = 3;
    knobs.need_context = true;
    ASSERT_TRUE(play());
    act_inside("retro_run", [&] {
        retro_hw_render_callback none{};
        EXPECT_TRUE(core->environment(RETRO_ENVIRONMENT_SET_HW_RENDER, &none));
        knobs.accepted = false; // it draws in software from now on
        core->video_refresh(RETRO_HW_FRAME_BUFFER_VALID, 8, 6, 0);
    });
    const int frames = sink.frames;
    player.run_frame();
    EXPECT_FALSE(player.hardware_render().active());
    EXPECT_EQ(sink.frames, frames + 1);
    EXPECT_EQ(sink.last_frame.width, 1u);
}

// The context stays for the next game when the core asks; the framebuffer
// grows, in place, to a larger geometry the core tells in the middle of a frame.
TEST_F(HardwareRender, ContextsStayWhenCachedAndFramebuffersGrow) {
    FakeGlControl &knobs = this->knobs();
    for (const bool cache : {false, true}) {
        knobs.request.cache_context = cache;
        ASSERT_TRUE(play());
        ASSERT_TRUE(player.load_game(rom));
        EXPECT_EQ(gl().kept_context, cache);
    }
    knobs.width = 20; // beyond the framebuffer: never read
    const int frames = sink.frames;
    player.run_frame();
    EXPECT_EQ(sink.frames, frames);
    std::uintptr_t framebuffers[2] = {0, 1};
    act_inside("retro_run", [&] {
        framebuffers[0] = knobs.request.get_current_framebuffer();
        retro_system_av_info larger = core->av_info;
        larger.geometry.max_width = 20;
        larger.geometry.max_height = 10;
        EXPECT_TRUE(core->environment(RETRO_ENVIRONMENT_SET_SYSTEM_AV_INFO, &larger));
        framebuffers[1] = knobs.request.get_current_framebuffer();
        knobs.width = 20;
        knobs.height = 10;
    });
    player.run_frame();
    EXPECT_EQ(framebuffers[0], framebuffers[1]);
    EXPECT_EQ(sink.last_frame.width * 100 + sink.last_frame.height, 2010u);
    EXPECT_EQ(pixel(sink, 19, 9), (Rgb{0x20, 64, 128}));
    EXPECT_EQ(pixel(sink, 1, 1), (Rgb{255, 0, 0}));
}

// Through pixel-pack buffers, each frame shows one frame late.
TEST_F(HardwareRender, DelayedReadBackShowsEachFrameOneFrameLate) {
    player.hardware_render().set_delayed_read(true);
    ASSERT_TRUE(play());
    player.run_frame();
    EXPECT_EQ(sink.frames, 0);
    gl().shade = 0x30;
    player.run_frame();
    ASSERT_EQ(sink.frames, 1);
    EXPECT_EQ(pixel(sink, 0, 0)[0], 0x20);
    EXPECT_EQ(pixel(sink, 1, 2), (Rgb{255, 0, 0}));
}

} // namespace
} // namespace tovarune::testing
