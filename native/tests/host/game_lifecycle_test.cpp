// A game's way through a core: loading, frames, input, timing and unloading.
#include "callbacks.h"
#include "test_support.h"

#include <cmath>

namespace tovarune::testing {
namespace {

using Calls = std::vector<std::string>;

class GameLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        player.set_frame_sink(&sink);
        write_bytes(rom, {9, 8, 7});
        ASSERT_TRUE(player.load_core(core.path()));
    }

    FakeCore core;
    TempDir dir;
    std::string rom = dir.path("game.bin");
    RecordingSink sink;
    Player player;
};

TEST_F(GameLifecycle, LoadsTheBytesOrThePathAndSaysWhyNot) {
    // Sound made while the game loads is not part of it.
    static const std::int16_t samples[] = {1, 1};
    core->hook = [](const char *entry) {
        if (std::string(entry) == "retro_load_game") {
            FakeCore::current().audio_sample_batch(samples, 1);
        }
    };
    ASSERT_TRUE(player.load_game(rom));
    EXPECT_EQ(core->game_size, 3u);
    EXPECT_EQ(core->game_bytes[2], 7);
    EXPECT_EQ(core->port_device[1], unsigned(RETRO_DEVICE_JOYPAD));
    EXPECT_EQ(player.queued_audio_frames(), 0u);
    EXPECT_EQ(sink.drops, 1);
    core->need_fullpath = true;
    ASSERT_TRUE(player.load_game(dir.path("only the core reads this")));
    EXPECT_STREQ(core->game_path, dir.path("only the core reads this").c_str());
    EXPECT_EQ(core->game_data, nullptr);
    core->need_fullpath = false;

    write_bytes(dir.path("empty"), {});
    const std::tuple<std::string, bool, const char *> failures[] = {
        {dir.path("missing"), true, "Nao foi possivel abrir a ROM."},
        {dir.path("empty"), true, "A ROM esta vazia ou nao pode ser lida."},
        {rom, false, "O core Snes9x recusou a ROM."},
    };
    for (const auto &[path, accept, error] : failures) {
        core->accept_game = accept;
        EXPECT_FALSE(player.load_game(path));
        EXPECT_EQ(player.last_error(), error);
        EXPECT_FALSE(player.is_game_loaded());
    }
}

TEST_F(GameLifecycle, RunsAndAnswersTheJoypadOnlyWithAGame) {
    player.set_button(RETRO_DEVICE_ID_JOYPAD_START, true);
    player.set_button(16, true);
    core.clear_calls();
    player.run_frame();
    player.reset_game();
    ASSERT_TRUE(player.load_game(rom));
    player.run_frame();
    player.reset_game();
    EXPECT_EQ(core.calls().size(), 8u); // the load's six, then run and reset
    const unsigned start = RETRO_DEVICE_ID_JOYPAD_START, joypad = RETRO_DEVICE_JOYPAD;
    // clang-format off
    const unsigned queries[][5] = { // port, device, index, id and the answer
        {0, joypad, 0, start, 1}, {0, RETRO_DEVICE_SUBCLASS(joypad, 1), 0, start, 1}, {1, joypad, 0, start, 0},
        {0, joypad, 1, start, 0}, {0, RETRO_DEVICE_ANALOG, 0, start, 0}, {0, joypad, 0, 16, 0},
    };
    // clang-format on
    for (const auto &q : queries) {
        EXPECT_EQ(core->input_state(q[0], q[1], q[2], q[3]), q[4]) << q[1] << " " << q[3];
    }
    player.set_button(RETRO_DEVICE_ID_JOYPAD_START, false);
    EXPECT_EQ(core->input_state(0, joypad, 0, start), 0);
}

TEST_F(GameLifecycle, TimingFallsBackForZeroNegativeAndNan) {
    for (const double given : {0.0, -1.0, std::nan("")}) {
        core->av_info.timing.fps = core->av_info.timing.sample_rate = given;
        ASSERT_TRUE(player.load_game(rom));
        EXPECT_EQ(player.fps(), 60.0);
        EXPECT_EQ(player.sample_rate(), 48000.0);
    }
}

} // namespace
} // namespace tovarune::testing
