// Each Debian libretro core plays a ROM we assembled ourselves (../roms),
// driven through the node's scripting methods the way a game script drives it.
#include "callbacks.h"
#include "consoles.h"
#include "libretro_player.h"
#include "test_support.h"

#include <algorithm>

namespace tovarune::testing {
namespace {

using godot::String;

String text(const std::string &utf8) { return String::utf8(utf8.c_str()); }

class RealCore : public ::testing::TestWithParam<Console> {
protected:
    void SetUp() override {
        if (!file_exists(core) || !file_exists(rom)) {
            GTEST_SKIP() << core << " or " << rom << " is missing: install the Debian packages "
                         << c.package << " and cc65, and build again";
        }
        player.set_paths(text(dir.path("system")), text(dir.path("saves")));
        ASSERT_TRUE(player.load_core(text(core))) << player.get_last_error();
        ASSERT_TRUE(player.load_game(text(rom))) << player.get_last_error();
        run(c.startup_frames);
    }
    void run(int frames, bool a_held = false) {
        player.set_button(RETRO_DEVICE_ID_JOYPAD_A, a_held);
        for (int i = 0; i < frames; ++i) {
            player.run_frame();
            audio_frames += player.pop_audio_frames(1 << 20).size();
        }
    }
    godot::PackedByteArray picture() const { return player.get_video_texture()->pixels(); }
    Rgba probe() const {
        const std::size_t at = (std::size_t{c.probe_y} * c.width + c.probe_x) * 4;
        const godot::PackedByteArray bytes = picture();
        Rgba rgba{};
        std::copy(bytes.ptr() + at, bytes.ptr() + at + 4, rgba.begin());
        return rgba;
    }
    // The record's button byte and frame counter, from the battery file.
    std::pair<int, int> record() const {
        const std::string name = c.rom;
        const auto ram = read_bytes(dir.path("saves/" + name.substr(0, name.rfind('.')) + ".srm"));
        EXPECT_EQ(ram.at(c.record_offset), 0x54);
        return {ram.at(c.record_offset + 1),
                ram.at(c.record_offset + 2) | ram.at(c.record_offset + 3) << 8};
    }

    const Console &c = GetParam();
    const std::string core =
        std::string(LIBRETRO_CORE_DIR) + "/" + c.library + SHARED_LIBRARY_SUFFIX;
    const std::string rom = std::string(ROM_DIR) + "/" + c.rom;
    TempDir dir;
    LibretroPlayer player;
    std::int64_t audio_frames = 0;
};

TEST_P(RealCore, ShowsTheRomAnswersTheJoypadAndOptionsSoundsAtItsRateAndReplaysAState) {
    ASSERT_EQ(player.get_video_texture()->get_width(), static_cast<int32_t>(c.width));
    EXPECT_EQ(player.get_video_texture()->get_height(), static_cast<int32_t>(c.height));
    EXPECT_EQ(probe(), c.released);
    run(2, true);
    EXPECT_EQ(probe(), c.held);
    run(2);
    EXPECT_EQ(probe(), c.released);
    ASSERT_GT(player.get_core_option_keys().size(), 0);
    if (c.option_key != nullptr) {
        const Rgba before = probe();
        const int32_t height = player.get_video_texture()->get_height();
        ASSERT_TRUE(player.set_core_option(text(c.option_key), text(c.option_value)));
        run(2);
        EXPECT_TRUE(probe() != before || player.get_video_texture()->get_height() != height)
            << c.option_key << " did not reach the core";
    }
    audio_frames = 0;
    run(120);
    EXPECT_NEAR(audio_frames * player.get_fps() / 120, player.get_sample_rate(),
                player.get_sample_rate() * 0.02);

    // A state replays the same frames, whatever the buttons did since.
    ASSERT_TRUE(player.save_state(text(dir.path("state"))));
    std::vector<godot::PackedByteArray> pictures[2];
    for (auto &frames : pictures) {
        for (int i = 0; i < 60; ++i) {
            run(1, (i / 10) % 2 == 1);
            frames.push_back(picture());
        }
        ASSERT_TRUE(player.load_state(text(dir.path("state"))));
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);
}

TEST_P(RealCore, BatteryRamCarriesProgressAcrossRunsAndCoreLoads) {
    run(30);
    run(2, true);
    player.unload_core();
    const auto [buttons, saved] = record();
    EXPECT_EQ(buttons, c.a_held);
    EXPECT_GE(saved, 30);

    SetUp();
    run(20);
    player.unload_game();
    const auto [released, counter] = record();
    EXPECT_EQ(released, 0);
    // The counter went on from the saved value instead of starting over.
    EXPECT_GE(counter - saved, 20);
    EXPECT_LE(counter - saved, 20 + c.startup_frames);
}

INSTANTIATE_TEST_SUITE_P(Debian, RealCore, ::testing::ValuesIn(consoles),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace tovarune::testing
