// The host reads only inside a frame, and lets no core go while one is running.

#include "callbacks.h"
#include "test_support.h"

#include <array>
#include <cstring>
#include <functional>

namespace tovarune::testing {
namespace {

constexpr unsigned no_format = RETRO_PIXEL_FORMAT_UNKNOWN; // refused: the core names none
using Rgb = std::array<std::uint8_t, 3>;

// Each on a freshly loaded core, from bytes of 0x1F; no colour: not shown.
const struct {
    unsigned format, width, height;
    std::size_t pitch;
    Rgb rgb;
} shapes[] = {
    {RETRO_PIXEL_FORMAT_XRGB8888, 4, 2, 16, {31, 31, 31}},
    {no_format, 4, 2, 8, {57, 197, 255}}, // not in the previous core's format
    {RETRO_PIXEL_FORMAT_RGB565, 4, 2, 10, {24, 226, 255}},
    {RETRO_PIXEL_FORMAT_RGB565, 4, 2, 6, {}},
    {RETRO_PIXEL_FORMAT_XRGB8888, 4, 2, 8, {}},
    {no_format, 16384, 1, 32768, {57, 197, 255}},
    {no_format, 16385, 1, 32770, {}},
    {no_format, 1, 16385, 2, {}},
    {RETRO_PIXEL_FORMAT_XRGB8888, 1u << 31, 1u << 31, SIZE_MAX, {}},
    {no_format, 1, 16384, SIZE_MAX / 8, {}}, // row offsets wrap
};

TEST(CoreSafety, FramesAreReadInTheirCoresFormatAndOnlyWithinTheirRows) {
    FakeCore core;
    Player player;
    RecordingSink sink;
    player.set_frame_sink(&sink);
    const std::vector<std::uint8_t> source(32768, 0x1F);
    for (std::size_t i = 0; i < std::size(shapes); ++i) {
        const auto &shape = shapes[i];
        ASSERT_TRUE(player.load_core(core.path()));
        unsigned format = shape.format;
        environment_callback(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format);
        sink.last_rgba.assign(3, 0);
        video_refresh_callback(source.data(), shape.width, shape.height, shape.pitch);
        EXPECT_EQ(Rgb({sink.last_rgba[0], sink.last_rgba[1], sink.last_rgba[2]}), shape.rgb) << i;
    }
}

std::function<void()> inside_run;

TEST(CoreSafety, LifecycleCallsFromInsideACoreCallAreRefused) {
    FakeCore core;
    TempDir dir;
    const std::string rom = dir.path("game.bin"), state = dir.path("state");
    write_bytes(rom, {1});
    Player player, other;
    ASSERT_TRUE(player.load_core(core.path()));
    ASSERT_TRUE(player.load_game(rom));
    std::vector<bool> results;
    inside_run = [&] {
        results = {player.load_core(core.path()), player.load_game(rom), player.save_state(state),
                   player.load_state(state),
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
    EXPECT_EQ(active_player, &player);
}

} // namespace
} // namespace tovarune::testing
