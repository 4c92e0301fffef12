#include "callbacks.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tovarune::testing {
namespace {

using Calls = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

class GameLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        player.set_frame_sink(&sink);
        write_bytes(dir.path("game.bin"), {9, 8, 7});
        ASSERT_TRUE(player.load_core(core.path()));
        core.clear_calls();
    }
    std::string rom(const std::string &name = "game.bin") { return dir.path(name); }

    FakeCore core;
    TempDir dir;
    RecordingSink sink;
    Player player;
};

TEST_F(GameLifecycle, LoadHandsTheBytesToTheCoreInOrder) {
    core->av_info.timing.fps = 59.5;
    core->av_info.timing.sample_rate = 32040.5;
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(core.calls(), (Calls{"retro_get_system_info", "retro_load_game",
                                   "retro_get_system_av_info", "retro_set_controller_port_device",
                                   "retro_get_memory_data", "retro_get_memory_size"}));
    EXPECT_EQ(std::string(core->game_path), rom());
    EXPECT_EQ(core->game_size, 3u);
    EXPECT_EQ(core->game_bytes[0], 9);
    EXPECT_EQ(core->port_device[0], 0u);
    EXPECT_EQ(core->port_device[1], static_cast<unsigned>(RETRO_DEVICE_JOYPAD));
    EXPECT_TRUE(player.is_game_loaded());
    EXPECT_TRUE(player.last_error().empty());
    EXPECT_EQ(player.fps(), 59.5);
    EXPECT_EQ(player.sample_rate(), 32040.5);
}

TEST_F(GameLifecycle, CoreWithoutPortDeviceEntryLoadsAsBefore) {
    FakeCore other("fake_core_without_port_device");
    ASSERT_TRUE(player.load_core(other.path()));
    other.clear_calls();
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(other.calls(),
              (Calls{"retro_get_system_info", "retro_load_game", "retro_get_system_av_info",
                     "retro_get_memory_data", "retro_get_memory_size"}));
}

TEST_F(GameLifecycle, FullPathCoresOpenTheFileThemselves) {
    core->need_fullpath = true;
    const std::string absent = rom("n\xC3\xA3o existe.sfc");
    ASSERT_TRUE(player.load_game(absent));
    EXPECT_EQ(std::string(core->game_path), absent);
    EXPECT_EQ(core->game_data, nullptr);
    EXPECT_EQ(core->game_size, 0u);
    core->accept_game = false;
    EXPECT_FALSE(player.load_game(absent));
    EXPECT_EQ(player.last_error(), "O core Snes9x recusou a ROM.");
}

TEST_F(GameLifecycle, FailedLoadsSayWhy) {
    Player no_core;
    EXPECT_FALSE(no_core.load_game(rom()));
    EXPECT_EQ(no_core.last_error(), "Carregue um core antes da ROM.");
    EXPECT_EQ(no_core.rom_path(), "");

    EXPECT_FALSE(player.load_game(rom("missing.bin")));
    EXPECT_EQ(player.last_error(), "Nao foi possivel abrir a ROM.");
    write_bytes(rom("empty.bin"), {});
    EXPECT_FALSE(player.load_game(rom("empty.bin")));
    EXPECT_EQ(player.last_error(), "A ROM esta vazia ou nao pode ser lida.");
    // A directory is there but holds no bytes to read.
    EXPECT_FALSE(player.load_game(dir.path()));
    EXPECT_NE(player.last_error(), "");
    core->accept_game = false;
    EXPECT_FALSE(player.load_game(rom()));
    EXPECT_EQ(player.last_error(), "O core Snes9x recusou a ROM.");
    EXPECT_FALSE(player.is_game_loaded());
    EXPECT_EQ(player.rom_path(), rom());
    // A refused game is never unloaded, and nothing is saved for it.
    core.clear_calls();
    player.unload_game();
    EXPECT_TRUE(core.calls().empty());
}

TEST_F(GameLifecycle, AudioAndPictureFromTheLoadAreDropped) {
    static const std::int16_t samples[] = {1, 1, 2, 2};
    core->hook = [](const char *entry) {
        if (std::string(entry) == "retro_load_game") {
            FakeCore::current().audio_sample_batch(samples, 2);
        }
    };
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(player.queued_audio_frames(), 0u);
    EXPECT_EQ(sink.drops, 1);
    core->hook = nullptr;

    const std::uint16_t pixels[4] = {};
    core->frame_data = pixels;
    core->frame_width = core->frame_height = 2;
    core->frame_pitch = 4;
    core->audio = samples;
    core->audio_frames = 2;
    player.run_frame();
    EXPECT_EQ(sink.frames, 1);
    EXPECT_EQ(player.queued_audio_frames(), 2u);
    // Reset touches neither queue nor picture.
    player.reset_game();
    EXPECT_EQ(player.queued_audio_frames(), 2u);
    EXPECT_EQ(sink.drops, 1);

    player.unload_game();
    EXPECT_EQ(player.queued_audio_frames(), 0u);
    EXPECT_EQ(sink.drops, 2);
    EXPECT_EQ(player.rom_path(), "");
}

TEST_F(GameLifecycle, UnloadWritesSaveRamBeforeTheCoreLetsGo) {
    ASSERT_TRUE(player.load_game(rom()));
    core.clear_calls();
    player.unload_game();
    EXPECT_EQ(core.calls(),
              (Calls{"retro_get_memory_data", "retro_get_memory_size", "retro_unload_game"}));
    EXPECT_FALSE(player.is_game_loaded());
    core.clear_calls();
    player.unload_game();
    EXPECT_TRUE(core.calls().empty());
}

TEST_F(GameLifecycle, ASecondGameUnloadsTheFirst) {
    write_bytes(rom("second.bin"), {5});
    ASSERT_TRUE(player.load_game(rom()));
    core.clear_calls();
    ASSERT_TRUE(player.load_game(rom("second.bin")));
    const Calls calls = core.calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[2], "retro_unload_game");
    EXPECT_EQ(calls[3], "retro_get_system_info");
    EXPECT_EQ(core->game_bytes[0], 5);
}

TEST_F(GameLifecycle, RunAndResetNeedAGame) {
    player.run_frame();
    player.reset_game();
    EXPECT_TRUE(core.calls().empty());
    ASSERT_TRUE(player.load_game(rom()));
    core.clear_calls();
    player.run_frame();
    player.reset_game();
    EXPECT_EQ(core.calls(), (Calls{"retro_run", "retro_reset"}));
}

TEST_F(GameLifecycle, TimingFallsBackForZeroNegativeAndNan) {
    EXPECT_EQ(player.fps(), 60.0);
    EXPECT_EQ(player.sample_rate(), 48000.0);
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        core->av_info.timing.fps = bad;
        core->av_info.timing.sample_rate = bad;
        ASSERT_TRUE(player.load_game(rom()));
        EXPECT_EQ(player.fps(), 60.0) << bad;
        EXPECT_EQ(player.sample_rate(), 48000.0) << bad;
    }
    // The last game's timing outlives it.
    core->av_info.timing.fps = 50.0;
    ASSERT_TRUE(player.load_game(rom()));
    player.unload_game();
    player.unload_core();
    EXPECT_EQ(player.fps(), 50.0);
}

TEST_F(GameLifecycle, ButtonsSetBeforeTheGameCountFromItsFirstFrame) {
    player.set_button(RETRO_DEVICE_ID_JOYPAD_START, true);
    static std::int16_t seen;
    seen = -1;
    core->hook = [](const char *entry) {
        if (std::string(entry) == "retro_run") {
            seen = FakeCore::current().input_state(0, RETRO_DEVICE_JOYPAD, 0,
                                                   RETRO_DEVICE_ID_JOYPAD_START);
        }
    };
    ASSERT_TRUE(player.load_game(rom()));
    player.run_frame();
    EXPECT_EQ(seen, 1);
}

TEST_F(GameLifecycle, VideoCallbackPassesOnlyRealFrames) {
    ASSERT_TRUE(player.load_game(rom()));
    const std::uint32_t pixels[2] = {0x00102030, 0x00405060};
    std::uint32_t format = RETRO_PIXEL_FORMAT_XRGB8888;
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format));
    video_refresh_callback(nullptr, 2, 1, 8);
    video_refresh_callback(pixels, 0, 1, 8);
    video_refresh_callback(pixels, 2, 0, 8);
    video_refresh_callback(RETRO_HW_FRAME_BUFFER_VALID, 2, 1, 8);
    EXPECT_EQ(sink.frames, 0);
    video_refresh_callback(pixels, 2, 1, 8);
    ASSERT_EQ(sink.frames, 1);
    EXPECT_EQ(sink.last_frame.pixel_format, static_cast<unsigned>(RETRO_PIXEL_FORMAT_XRGB8888));
    EXPECT_EQ(sink.last_rgba, (Bytes{0x10, 0x20, 0x30, 255, 0x40, 0x50, 0x60, 255}));
}

} // namespace
} // namespace tovarune::testing
