// Each Debian libretro core plays a ROM we assembled ourselves, driven through
// the node's scripting methods the way a game script drives it.
//
// Every ROM keeps a record in battery RAM (marker 0x54, held buttons, a 16-bit
// frame counter) and paints the screen one colour, another while A is held.

#include "callbacks.h"
#include "libretro_player.h"
#include "test_support.h"

#include <libretro.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace tovarune::testing {
namespace {

using godot::String;
using Rgba = std::array<std::uint8_t, 4>;

struct Console {
    const char *name;
    const char *library; // under the system's libretro directory
    const char *package; // the Debian package that installs it
    const char *rom;
    unsigned width, height;
    unsigned probe_x, probe_y;
    Rgba released, held;
    std::size_t record_offset; // of the ROM's record in save RAM
    std::uint8_t a_held;       // the record's button byte with only A held
    int startup_frames;        // frames before the picture and record settle
    // An option whose change the picture shows, and the value to change it to.
    const char *option_key;
    const char *option_value;
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

void PrintTo(const Console &console, std::ostream *out) { *out << console.name; }

String text(const std::string &utf8) { return String::utf8(utf8.c_str()); }

std::string core_path(const Console &console) {
    return std::string(LIBRETRO_CORE_DIR) + "/" + console.library + SHARED_LIBRARY_SUFFIX;
}

std::string rom_path(const Console &console) { return std::string(ROM_DIR) + "/" + console.rom; }

std::uint16_t counter_of(const std::vector<std::uint8_t> &ram, std::size_t offset) {
    return static_cast<std::uint16_t>(ram.at(offset + 2) | ram.at(offset + 3) << 8);
}

class RealCore : public ::testing::TestWithParam<Console> {
protected:
    void SetUp() override {
        const Console &console = GetParam();
        if (!file_exists(core_path(console))) {
            GTEST_SKIP() << core_path(console) << " is missing: install the Debian package "
                         << console.package;
        }
        if (!file_exists(rom_path(console))) {
            GTEST_SKIP() << rom_path(console)
                         << " was not built: install the Debian package cc65 and rebuild";
        }
        player = std::make_unique<LibretroPlayer>();
        player->set_paths(text(dir.path("system")), text(dir.path("saves")));
        ASSERT_TRUE(player->load_core(text(core_path(console)))) << player->get_last_error();
    }

    void start_game() {
        ASSERT_TRUE(player->load_game(text(rom_path(GetParam())))) << player->get_last_error();
        run(GetParam().startup_frames);
    }

    void run(int frames) {
        for (int i = 0; i < frames; ++i) {
            player->run_frame();
            player->pop_audio_frames(1 << 20);
        }
    }

    godot::PackedByteArray picture() const {
        const godot::Ref<godot::ImageTexture> texture = player->get_video_texture();
        return texture.is_valid() ? texture->pixels() : godot::PackedByteArray();
    }

    Rgba probe() const {
        const Console &console = GetParam();
        const godot::PackedByteArray bytes = picture();
        const std::size_t at = (std::size_t{console.probe_y} * console.width + console.probe_x) * 4;
        Rgba rgba{};
        if (bytes.size() >= static_cast<int64_t>(at + 4)) {
            std::copy(bytes.ptr() + at, bytes.ptr() + at + 4, rgba.begin());
        }
        return rgba;
    }

    std::string srm_path() const {
        const std::string rom = GetParam().rom;
        return dir.path("saves/" + rom.substr(0, rom.rfind('.')) + ".srm");
    }

    TempDir dir;
    std::unique_ptr<LibretroPlayer> player;
};

TEST_P(RealCore, ShowsTheRomsPictureAnswersTheJoypadAndSoundsAtItsRate) {
    const Console &console = GetParam();
    start_game();
    const godot::Ref<godot::ImageTexture> texture = player->get_video_texture();
    ASSERT_TRUE(texture.is_valid());
    EXPECT_EQ(texture->get_width(), static_cast<int32_t>(console.width));
    EXPECT_EQ(texture->get_height(), static_cast<int32_t>(console.height));
    EXPECT_EQ(probe(), console.released);
    player->set_button(RETRO_DEVICE_ID_JOYPAD_A, true);
    run(2);
    EXPECT_EQ(probe(), console.held);
    EXPECT_EQ(player->get_video_texture(), texture);
    player->set_button(RETRO_DEVICE_ID_JOYPAD_A, false);
    run(2);
    EXPECT_EQ(probe(), console.released);

    const int frames = 120;
    std::int64_t audio_frames = 0;
    for (int i = 0; i < frames; ++i) {
        player->run_frame();
        audio_frames += player->pop_audio_frames(1 << 20).size();
    }
    const double per_second = static_cast<double>(audio_frames) * player->get_fps() / frames;
    EXPECT_NEAR(per_second, player->get_sample_rate(), player->get_sample_rate() * 0.02);
}

TEST_P(RealCore, BatteryRamCarriesProgressAcrossRunsAndCoreLoads) {
    const Console &console = GetParam();
    start_game();
    run(30);
    player->set_button(RETRO_DEVICE_ID_JOYPAD_A, true);
    run(2);
    player->unload_core();
    const std::vector<std::uint8_t> first = read_bytes(srm_path());
    ASSERT_GT(first.size(), console.record_offset + 3);
    EXPECT_EQ(first[console.record_offset], 0x54);
    EXPECT_EQ(first[console.record_offset + 1], console.a_held);
    const std::uint16_t saved = counter_of(first, console.record_offset);
    EXPECT_GE(saved, 30);

    player->set_button(RETRO_DEVICE_ID_JOYPAD_A, false);
    ASSERT_TRUE(player->load_core(text(core_path(console))));
    start_game();
    run(20);
    player->unload_game();
    const std::vector<std::uint8_t> second = read_bytes(srm_path());
    ASSERT_GT(second.size(), console.record_offset + 3);
    EXPECT_EQ(second[console.record_offset + 1], 0);
    // The counter went on from the saved value instead of starting over.
    const int advanced = counter_of(second, console.record_offset) - saved;
    EXPECT_GE(advanced, 20);
    EXPECT_LE(advanced, 20 + console.startup_frames);
}

TEST_P(RealCore, SaveStateReplaysTheSameFrames) {
    start_game();
    const std::string state = dir.path("state.bin");
    ASSERT_TRUE(player->save_state(text(state)));
    const auto play = [&] {
        std::vector<godot::PackedByteArray> pictures;
        for (int i = 0; i < 60; ++i) {
            player->set_button(RETRO_DEVICE_ID_JOYPAD_A, (i / 10) % 2 == 1);
            player->run_frame();
            pictures.push_back(picture());
        }
        return pictures;
    };
    const auto first = play();
    ASSERT_TRUE(player->load_state(text(state)));
    const auto again = play();
    ASSERT_EQ(first.size(), again.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        ASSERT_TRUE(first[i] == again[i]) << "frame " << i << " differs after load_state";
    }
}

TEST_P(RealCore, ListsItsOptionsSortedAndHandsChangesToTheCore) {
    const Console &console = GetParam();
    start_game();
    const godot::PackedStringArray keys = player->get_core_option_keys();
    ASSERT_GT(keys.size(), 0);
    std::vector<std::string> utf8_keys;
    for (int64_t i = 0; i < keys.size(); ++i) {
        utf8_keys.push_back(keys[i].utf8().get_data());
    }
    EXPECT_TRUE(std::is_sorted(utf8_keys.begin(), utf8_keys.end()));
    if (console.option_key == nullptr) {
        return;
    }

    const Rgba before = probe();
    const int32_t height_before = player->get_video_texture()->get_height();
    ASSERT_TRUE(player->set_core_option(text(console.option_key), text(console.option_value)));
    EXPECT_EQ(player->get_core_option_value(text(console.option_key)), text(console.option_value));
    run(2);
    // The core polled the change once and read the new value.
    bool updated = true;
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
    EXPECT_FALSE(updated);
    retro_variable variable{console.option_key, nullptr};
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &variable));
    EXPECT_STREQ(variable.value, console.option_value);
    const bool picture_changed =
        probe() != before || player->get_video_texture()->get_height() != height_before;
    EXPECT_TRUE(picture_changed) << console.option_key << " did not reach the core";
}

INSTANTIATE_TEST_SUITE_P(Debian, RealCore, ::testing::ValuesIn(consoles),
                         [](const ::testing::TestParamInfo<Console> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tovarune::testing
