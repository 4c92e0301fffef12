// A core's and a game's way through the player: loading, frames, sound,
// input and unloading.
#include "callbacks.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

using Calls = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

TEST(CoreLoading, UnusableLibrariesAreRefusedAfterTheOldCoreWent) {
    TempDir dir;
    const std::string cannot_load = "Nao foi possivel carregar o core Libretro: ";
    const std::string missing = dir.path("none"), junk = dir.path("junk"), cut = dir.path("cut");
    write_bytes(junk, {'n', 'o'});
    // Cut inside its segments, a library would fault on first touch if mapped.
    const Bytes whole = read_bytes(fake_core_path());
    write_bytes(cut, Bytes(whole.begin(), whole.begin() + 4096));
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {missing, cannot_load + missing},
        {"", cannot_load},
        {junk, cannot_load + junk},
        {cut, cannot_load + cut},
        {fake_core_path("fake_core_without_unserialize"),
         "Core invalido: faltando retro_unserialize"},
        {fake_core_path("fake_core_api_2"), "Versao da API Libretro incompativel."},
    };
    // clang-format on
    FakeCore core;
    Player player;
    for (const auto &[path, error] : cases) {
        ASSERT_TRUE(player.load_core(core.path()));
        core.clear_calls();
        EXPECT_FALSE(player.load_core(path));
        EXPECT_EQ(player.last_error(), error);
        EXPECT_EQ(core.calls(), Calls{"retro_deinit"}) << path;
        EXPECT_FALSE(player.is_core_loaded() || player.holds_library());
        EXPECT_EQ(player.core_api().retro_run, nullptr);
        EXPECT_EQ(active_player, nullptr);
    }
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(player.last_error(), "");
}

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
    // Another player's core takes the callbacks; this one letting go keeps them there.
    Player other;
    ASSERT_TRUE(other.load_core(fake_core_path("fake_core_without_port_device")));
    player.unload_core();
    EXPECT_EQ(active_player, &other);
}

// The audio queue keeps the newest frames in order, wherever its ring stands.
TEST(AudioQueue, KeepsTheNewestFramesInOrderAcrossTheRing) {
    constexpr std::size_t cap = AudioQueue::capacity;
    std::vector<std::int16_t> samples; // frame n carries n over its two samples
    for (std::size_t n = 0; n < cap + 20; ++n) {
        samples.insert(samples.end(), {std::int16_t(n % 30000), std::int16_t(n / 30000)});
    }
    Player player;
    active_player = &player;
    for (std::size_t n = 0; n < 10; ++n) {
        audio_sample_callback(samples[2 * n], samples[2 * n + 1]);
    }
    std::vector<std::size_t> popped;
    const auto take = [&](std::int32_t max) {
        return player.pop_audio_frames(max, [&](std::size_t, const StereoFrame &frame) {
            popped.push_back(std::size_t(frame.left * 32768) +
                             30000 * std::size_t(frame.right * 32768));
        });
    };
    EXPECT_EQ(take(-1) + take(4), 4u);
    // A batch larger than the cap keeps only its own newest frames.
    EXPECT_EQ(audio_sample_batch_callback(samples.data() + 20, cap + 3), cap + 3);
    EXPECT_EQ(audio_sample_batch_callback(nullptr, 5), 0u);
    audio_sample_callback(samples[2 * (cap + 13)], samples[2 * (cap + 13) + 1]);
    active_player = nullptr;
    audio_sample_callback(1, 1);
    EXPECT_EQ(take(1 << 30), cap);
    ASSERT_EQ(popped.size(), cap + 4);
    for (std::size_t i = 0; i < popped.size(); ++i) {
        ASSERT_EQ(popped[i], i < 4 ? i : i + 10) << i;
    }
}

} // namespace
} // namespace tovarune::testing
