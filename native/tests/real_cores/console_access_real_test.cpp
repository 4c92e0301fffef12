// Debian's cores seen from a script: the aspect they report, our ROM's RAM
// read and changed, states kept in memory, and a second pad.

#include "libretro_player.h"
#include "test_support.h"

#include <libretro.h>

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using godot::String;

struct Machine {
    const char *library, *rom;
    std::int64_t shade_at; // in system RAM: the colour the ROM shows while A is released
    Bytes shade, held_shade;
    std::int64_t pad2_at; // in the save RAM record
};
const Machine machines[] = {
    {"nestopia_libretro", "battery.nes", 4, {0x12}, {0x16}, 4},
    {"bsnes_mercury_performance_libretro", "battery.sfc", 3, {0x00, 0x7C}, {0x1F, 0x00}, 5}};

Bytes bytes(const godot::PackedByteArray &a) { return Bytes(a.ptr(), a.ptr() + a.size()); }

class ConsoleAccessReal : public ::testing::TestWithParam<Machine> {};

TEST_P(ConsoleAccessReal, ScriptsSeeIntoTheGameAndShareIt) {
    const Machine &machine = GetParam();
    const std::string core =
        std::string(LIBRETRO_CORE_DIR) + "/" + machine.library + SHARED_LIBRARY_SUFFIX;
    const std::string rom = std::string(ROM_DIR) + "/" + machine.rom;
    if (!file_exists(core) || !file_exists(rom)) {
        GTEST_SKIP() << "needs " << core << " and " << rom << " (Debian's cores and cc65)";
    }
    TempDir dir;
    LibretroPlayer player;
    player.set_paths(String::utf8(dir.path().c_str()), String::utf8(dir.path().c_str()));
    ASSERT_TRUE(player.load_core(String::utf8(core.c_str())));
    ASSERT_TRUE(player.load_game(String::utf8(rom.c_str())));
    const auto run = [&](int frames) {
        std::vector<Bytes> pictures;
        for (int i = 0; i < frames; ++i) {
            player.set_button(RETRO_DEVICE_ID_JOYPAD_A, frames > 2 && i % 20 >= 10);
            player.run_frame();
            player.pop_audio_frames(1 << 20);
            pictures.push_back(bytes(player.get_video_texture()->pixels()));
        }
        return pictures;
    };
    const auto memory = [&](int region, std::int64_t offset, std::int64_t length) {
        return bytes(player.read_memory(region, offset, length));
    };
    run(4);
    EXPECT_NEAR(player.get_aspect_ratio(), 64.0 / 49, 1e-6); // 256x224 of 8:7 pixels

    const godot::PackedByteArray state = player.save_state_to_bytes();
    const std::vector<Bytes> pictures = run(40);
    ASSERT_TRUE(player.load_state_from_bytes(state));
    EXPECT_TRUE(run(40) == pictures);

    EXPECT_EQ(memory(RETRO_MEMORY_SYSTEM_RAM, machine.shade_at, machine.shade.size()),
              machine.shade);
    godot::PackedByteArray held_shade;
    for (const std::uint8_t byte : machine.held_shade) {
        held_shade.push_back(byte);
    }
    ASSERT_TRUE(player.write_memory(RETRO_MEMORY_SYSTEM_RAM, machine.shade_at, held_shade));
    EXPECT_TRUE(run(2) == std::vector<Bytes>(2, pictures[15])); // A released, held colour

    for (const std::uint8_t pressed : {0x80, 0x00}) {
        player.set_port_button(1, RETRO_DEVICE_ID_JOYPAD_A, pressed != 0);
        run(2);
        EXPECT_EQ(memory(RETRO_MEMORY_SAVE_RAM, machine.pad2_at, 1), Bytes{pressed});
        EXPECT_EQ(memory(RETRO_MEMORY_SAVE_RAM, 1, 1), Bytes{0}); // the first pad's
    }
}

INSTANTIATE_TEST_SUITE_P(Debian, ConsoleAccessReal, ::testing::ValuesIn(machines));

} // namespace
} // namespace tovarune::testing
