// Each Debian libretro core plays a ROM we assembled ourselves, driven through
// the node's scripting methods the way a game script drives it. Every ROM
// keeps a record in battery RAM (marker 0x54, held buttons, a 16-bit frame
// counter) and paints the screen one colour, another while A is held.
#include "callbacks.h"
#include "libretro_player.h"
#include "test_support.h"

#include <algorithm>
#include <array>

namespace tovarune::testing {
namespace {

using godot::String;
using Rgba = std::array<std::uint8_t, 4>;

struct Console {
    const char *name, *library, *package, *rom;
    unsigned width, height, probe_x, probe_y;
    Rgba released, held;
    std::size_t record_offset; // of the ROM's record in save RAM
    std::uint8_t a_held;       // the record's button byte with only A held
    int startup_frames;        // before the picture and the record settle
    // An option whose change the picture shows, and the value to change it to.
    const char *option_key, *option_value;
};

// clang-format off
const Console consoles[] = {
    {"nes", "nestopia_libretro", "libretro-nestopia", "battery.nes", 256, 224, 128, 112,
     {0x15, 0x3C, 0xFE, 0xFF}, {0xD2, 0x2C, 0x00, 0xFF}, 0, 0x80, 4, "nestopia_overscan_v", "disabled"},
    {"gb", "gambatte_libretro", "libretro-gambatte", "battery.gb", 160, 144, 0, 0,
     {222, 97, 65, 255}, {24, 113, 180, 255}, 0, 0x01, 3, "gambatte_gbc_color_correction", "disabled"},
    {"gba", "mgba_libretro", "libretro-mgba", "battery.gba", 240, 160, 0, 0,
     {255, 129, 0, 255}, {0, 64, 255, 255}, 0, 0x01, 2, nullptr, nullptr},
    {"snes", "bsnes_mercury_performance_libretro", "libretro-bsnes-mercury-performance", "battery.sfc", 256, 224, 128, 112,
     {0, 0, 255, 255}, {255, 0, 0, 255}, 0, 0x80, 2, nullptr, nullptr},
    {"pce", "mednafen_pce_fast_libretro", "libretro-beetle-pce-fast", "battery.pce", 256, 239, 128, 120,
     {0, 0, 255, 255}, {255, 0, 0, 255}, 0x400, 0x01, 2, "pce_last_scanline", "208"},
};
// clang-format on

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
        EXPECT_GT(ram.size(), c.record_offset + 3);
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

TEST_P(RealCore, ShowsTheRomAnswersTheJoypadSoundsAtItsRateAndReplaysAState) {
    ASSERT_EQ(player.get_video_texture()->get_width(), static_cast<int32_t>(c.width));
    EXPECT_EQ(player.get_video_texture()->get_height(), static_cast<int32_t>(c.height));
    EXPECT_EQ(probe(), c.released);
    run(2, true);
    EXPECT_EQ(probe(), c.held);
    run(2);
    EXPECT_EQ(probe(), c.released);
    audio_frames = 0;
    run(120);
    EXPECT_NEAR(audio_frames * player.get_fps() / 120, player.get_sample_rate(),
                player.get_sample_rate() * 0.02);

    ASSERT_TRUE(player.save_state(text(dir.path("state"))));
    std::vector<godot::PackedByteArray> pictures;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 60; ++i) {
            run(1, (i / 10) % 2 == 1);
            if (pass == 0) {
                pictures.push_back(picture());
            } else {
                ASSERT_TRUE(pictures[i] == picture())
                    << "frame " << i << " differs after load_state";
            }
        }
        ASSERT_TRUE(player.load_state(text(dir.path("state"))));
    }
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

TEST_P(RealCore, ListsItsOptionsSortedAndHandsChangesToTheCore) {
    const godot::PackedStringArray keys = player.get_core_option_keys();
    ASSERT_GT(keys.size(), 0);
    for (int64_t i = 1; i < keys.size(); ++i) {
        EXPECT_LT(std::string(keys[i - 1].utf8().get_data()), keys[i].utf8().get_data());
    }
    if (c.option_key == nullptr) {
        return;
    }
    const Rgba before = probe();
    const int32_t height_before = player.get_video_texture()->get_height();
    ASSERT_TRUE(player.set_core_option(text(c.option_key), text(c.option_value)));
    run(2);
    // The core polled the change once and read the new value.
    bool updated = true;
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
    EXPECT_FALSE(updated);
    EXPECT_TRUE(probe() != before || player.get_video_texture()->get_height() != height_before)
        << c.option_key << " did not reach the core";
}

INSTANTIATE_TEST_SUITE_P(Debian, RealCore, ::testing::ValuesIn(consoles),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace tovarune::testing
