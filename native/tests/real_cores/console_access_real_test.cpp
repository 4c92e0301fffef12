// Debian's cores, seen from a script beyond picture and sound: the aspect
// they report, our ROM's RAM read and changed, states kept in memory, and a
// second player.

#include "libretro_player.h"
#include "test_support.h"

#include <libretro.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tovarune::testing {
namespace {

using godot::PackedByteArray;
using godot::String;
using Bytes = std::vector<std::uint8_t>;

struct Machine {
    const char *name;
    const char *library; // under the system's libretro directory
    const char *rom;
    double aspect;
    std::int64_t count_at, shade_at; // in system RAM, from the ROM's zero page
    Bytes shade, other_shade; // the colour the ROM keeps there, and the one shown while A is held
    std::int64_t pad2_at;     // the second pad's buttons in the save RAM record
};

const Machine machines[] = {
    // Both show 256x224 pictures of pixels 8:7 wide.
    {"nes", "nestopia_libretro", "battery.nes", 64.0 / 49, 2, 4, {0x12}, {0x16}, 4},
    {"snes",
     "bsnes_mercury_performance_libretro",
     "battery.sfc",
     64.0 / 49,
     1,
     3,
     {0x00, 0x7C},
     {0x1F, 0x00},
     5},
};

void PrintTo(const Machine &machine, std::ostream *out) { *out << machine.name; }

Bytes bytes_of(const PackedByteArray &array) {
    return Bytes(array.ptr(), array.ptr() + array.size());
}

PackedByteArray array_of(const Bytes &bytes) {
    PackedByteArray array;
    for (const std::uint8_t byte : bytes) {
        array.push_back(byte);
    }
    return array;
}

class ConsoleAccessReal : public ::testing::TestWithParam<Machine> {
protected:
    void SetUp() override {
        const std::string core =
            std::string(LIBRETRO_CORE_DIR) + "/" + GetParam().library + SHARED_LIBRARY_SUFFIX;
        const std::string rom = std::string(ROM_DIR) + "/" + GetParam().rom;
        if (!file_exists(core) || !file_exists(rom)) {
            GTEST_SKIP() << "needs " << core << " and " << rom << " (Debian cores and cc65)";
        }
        player.set_paths(String::utf8(dir.path("system").c_str()),
                         String::utf8(dir.path("saves").c_str()));
        ASSERT_TRUE(player.load_core(String::utf8(core.c_str())));
        ASSERT_TRUE(player.load_game(String::utf8(rom.c_str())));
        run(4);
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) {
            player.run_frame();
            player.pop_audio_frames(1 << 20);
        }
    }
    Bytes picture() const { return bytes_of(player.get_video_texture()->pixels()); }
    Bytes memory(int region, std::int64_t offset, std::int64_t length) const {
        return bytes_of(player.read_memory(region, offset, length));
    }

    TempDir dir;
    LibretroPlayer player;
};

TEST_P(ConsoleAccessReal, ReportsItsAspect) {
    EXPECT_NEAR(player.get_aspect_ratio(), GetParam().aspect, 1e-6);
}

TEST_P(ConsoleAccessReal, ShowsTheRomsRamAndTakesChangesToIt) {
    const Machine &machine = GetParam();
    // The frame counter the ROM keeps in RAM is the one it records in save RAM.
    EXPECT_EQ(memory(RETRO_MEMORY_SYSTEM_RAM, machine.count_at, 2),
              memory(RETRO_MEMORY_SAVE_RAM, 2, 2));
    EXPECT_EQ(memory(RETRO_MEMORY_SYSTEM_RAM, machine.shade_at, machine.shade.size()),
              machine.shade);
    player.set_button(RETRO_DEVICE_ID_JOYPAD_A, true);
    run(2);
    const Bytes held = picture();
    player.set_button(RETRO_DEVICE_ID_JOYPAD_A, false);
    run(2);
    EXPECT_NE(picture(), held);
    ASSERT_TRUE(player.write_memory(RETRO_MEMORY_SYSTEM_RAM, machine.shade_at,
                                    array_of(machine.other_shade)));
    run(2);
    EXPECT_EQ(picture(), held);
    const std::int64_t size = player.get_memory_size(RETRO_MEMORY_SYSTEM_RAM);
    EXPECT_EQ(player.read_memory(RETRO_MEMORY_SYSTEM_RAM, size - 1, 2).size(), 0);
    EXPECT_FALSE(player.write_memory(RETRO_MEMORY_SYSTEM_RAM, size, array_of({0})));
}

TEST_P(ConsoleAccessReal, StateBytesReplayTheSameFrames) {
    const PackedByteArray state = player.save_state_to_bytes();
    ASSERT_GT(state.size(), 0);
    const auto play = [&] {
        std::vector<Bytes> pictures;
        for (int i = 0; i < 40; ++i) {
            player.set_button(RETRO_DEVICE_ID_JOYPAD_A, (i / 10) % 2 == 1);
            run(1);
            pictures.push_back(picture());
        }
        return pictures;
    };
    const auto first = play();
    ASSERT_TRUE(player.load_state_from_bytes(state));
    EXPECT_TRUE(play() == first);
}

TEST_P(ConsoleAccessReal, SecondPlayersButtonsReachPortOne) {
    const std::int64_t pad2_at = GetParam().pad2_at;
    for (const bool pressed : {true, false}) {
        player.set_port_button(1, RETRO_DEVICE_ID_JOYPAD_A, pressed);
        run(2);
        EXPECT_EQ(memory(RETRO_MEMORY_SAVE_RAM, pad2_at, 1),
                  Bytes{std::uint8_t(pressed ? 0x80 : 0)});
        EXPECT_EQ(memory(RETRO_MEMORY_SAVE_RAM, 1, 1), Bytes{0}); // the first player's
    }
}

INSTANTIATE_TEST_SUITE_P(Debian, ConsoleAccessReal, ::testing::ValuesIn(machines),
                         [](const ::testing::TestParamInfo<Machine> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tovarune::testing
