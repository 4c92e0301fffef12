// Whatever a core hands over or calls, the host reads only inside the frame it
// was given and never lets a core go while the core is on the stack.

#include "callbacks.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>

namespace tovarune::testing {
namespace {

constexpr unsigned no_format = ~0u; // the core never names one
constexpr std::size_t huge = SIZE_MAX / 8;

struct Shape {
    const char *name;
    unsigned format;
    unsigned width, height;
    std::size_t pitch;
    std::array<std::uint8_t, 3> rgb; // of every pixel of 0x1F bytes; all 0: not shown
};

// In order: each row loads the core again after the row before it.
const Shape shapes[] = {
    {"32-bit rows", RETRO_PIXEL_FORMAT_XRGB8888, 4, 2, 16, {31, 31, 31}},
    {"next core names no format: 16-bit", no_format, 4, 2, 8, {57, 197, 255}},
    {"padded 16-bit rows", RETRO_PIXEL_FORMAT_RGB565, 4, 2, 10, {24, 226, 255}},
    {"rows a pixel short", RETRO_PIXEL_FORMAT_RGB565, 4, 2, 6, {}},
    {"16-bit rows read as 32-bit", RETRO_PIXEL_FORMAT_XRGB8888, 4, 2, 8, {}},
    {"widest image", no_format, 16384, 1, 32768, {57, 197, 255}},
    {"wider than an image", no_format, 16385, 1, 32770, {}},
    {"taller than an image", no_format, 1, 16385, 2, {}},
    {"2^31 square", RETRO_PIXEL_FORMAT_XRGB8888, 1u << 31, 1u << 31, SIZE_MAX, {}},
    {"rows whose offsets wrap", no_format, 1, 16384, huge, {}},
};

TEST(CoreSafety, FramesAreReadInTheirCoresFormatAndOnlyWithinTheirRows) {
    FakeCore core;
    Player player;
    RecordingSink sink;
    player.set_frame_sink(&sink);
    const std::vector<std::uint8_t> source(32768, 0x1F);
    for (const Shape &shape : shapes) {
        SCOPED_TRACE(shape.name);
        ASSERT_TRUE(player.load_core(core.path()));
        unsigned format = shape.format;
        if (format != no_format) {
            ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format));
        }
        sink.frames = 0;
        video_refresh_callback(source.data(), shape.width, shape.height, shape.pitch);
        if (shape.rgb == std::array<std::uint8_t, 3>{}) {
            EXPECT_EQ(sink.frames, 0);
            continue;
        }
        ASSERT_EQ(sink.frames, 1);
        std::vector<std::uint8_t> expected;
        for (std::size_t i = 0; i < std::size_t{shape.width} * shape.height; ++i) {
            expected.insert(expected.end(), {shape.rgb[0], shape.rgb[1], shape.rgb[2], 255});
        }
        EXPECT_EQ(sink.last_rgba, expected);
    }
}

std::function<void()> inside_run;

TEST(CoreSafety, LifecycleCallsFromInsideACoreCallAreRefused) {
    FakeCore core;
    TempDir dir;
    write_bytes(dir.path("game.bin"), {1, 2});
    Player player, other;
    ASSERT_TRUE(player.load_core(core.path()));
    ASSERT_TRUE(player.load_game(dir.path("game.bin")));
    std::vector<bool> results;
    inside_run = [&] {
        const std::string state = dir.path("state");
        results = {player.load_core(core.path()), player.load_game(dir.path("game.bin")),
                   player.save_state(state), player.load_state(state),
                   other.load_core(fake_core_path("fake_core_without_port_device"))};
        player.reset_game();
        player.run_frame();
        player.unload_game();
        player.unload_core();
    };
    core->hook = [](const char *entry) {
        if (std::strcmp(entry, "retro_run") == 0) {
            inside_run();
        }
    };
    core.clear_calls();
    player.run_frame();
    core->hook = nullptr;
    inside_run = nullptr;
    EXPECT_EQ(results, std::vector<bool>(5, false));
    EXPECT_EQ(core.calls(), std::vector<std::string>{"retro_run"});
    EXPECT_TRUE(player.is_game_loaded());
    EXPECT_FALSE(other.holds_library());
    EXPECT_EQ(active_player, &player);
    EXPECT_EQ(directory_entries(dir.path()), std::vector<std::string>{"game.bin"});
    // Back outside, the same calls are carried out.
    player.unload_core();
    EXPECT_FALSE(player.is_core_loaded());
}

} // namespace
} // namespace tovarune::testing
