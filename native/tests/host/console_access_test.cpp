// The other joypads, the core's memory and states in memory, on the fake core.

#include "callbacks.h"
#include "test_support.h"

#include <algorithm>
#include <limits>

namespace tovarune::testing {
namespace {

class ConsoleAccess : public ::testing::Test {
protected:
    void SetUp() override {
        write_bytes(rom, {1});
        ASSERT_TRUE(player.load_core(core.path()) && player.load_game(rom));
    }
    long calls(const char *entry_point) {
        const auto all = core.calls();
        return std::count(all.begin(), all.end(), std::string(entry_point));
    }

    FakeCore core;
    TempDir dir;
    std::string rom = dir.path("game.sfc");
    Player player;
};

TEST_F(ConsoleAccess, MemoryRangesMustLieWhollyInsideTheRegion) {
    core->system_ram_size = 16; // the 48 bytes after it are not the region's
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::int64_t rows[][3] = {{0, 16, 1}, {15, 1, 1},    {16, 0, 1},  {15, 2, 0}, {17, 0, 0},
                                    {-1, 1, 0}, {max, max, 0}, {1, max, 0}, {0, -1, 0}};
    for (const auto &[offset, length, inside] : rows) {
        const MemoryView view = player.read_memory(RETRO_MEMORY_SYSTEM_RAM, offset, length);
        EXPECT_EQ(view.data, inside ? core->system_ram + offset : nullptr) << offset;
        if (length >= 0 && length <= 2) { // the same span written, where an array can have it
            const std::vector<std::uint8_t> data(static_cast<std::size_t>(length), 0xEE);
            EXPECT_EQ(player.write_memory(2, offset, data.data(), data.size()), inside != 0);
        }
    }
    EXPECT_EQ(core->system_ram[15], 0xEE);
    EXPECT_EQ(std::count(core->system_ram + 16, core->system_ram + 64, 0), 48);
    EXPECT_EQ(player.memory_size(RETRO_MEMORY_SYSTEM_RAM), 16);
    EXPECT_EQ(player.memory_size(RETRO_MEMORY_RTC), 0);
    player.unload_game();
    EXPECT_EQ(player.memory_size(RETRO_MEMORY_SYSTEM_RAM), 0);
}

TEST_F(ConsoleAccess, OtherPortsAreConnectedAtTheirFirstInputDuringAGame) {
    const auto connections = [&] { return calls("retro_set_controller_port_device"); };
    player.unload_game();
    player.set_port_button(2, RETRO_DEVICE_ID_JOYPAD_B, true); // no game: not yet
    EXPECT_EQ(connections(), 1);
    ASSERT_TRUE(player.load_game(rom)); // port 0 as ever, then port 2, in use
    player.set_port_button(0, RETRO_DEVICE_ID_JOYPAD_L, true);
    player.set_port_button(4, 0, true);
    player.set_analog(1, 2, 1.0, 1.0);
    EXPECT_EQ(connections(), 3);
    player.set_analog(3, RETRO_DEVICE_INDEX_ANALOG_RIGHT, 0.5, 7.0);
    player.set_analog(0, 0, std::numeric_limits<double>::quiet_NaN(), -0.25);
    const int queries[][5] = {{2, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_B, 1},
                              {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_L, 1},
                              {1, RETRO_DEVICE_JOYPAD, 0, 0, 0},
                              {3, RETRO_DEVICE_ANALOG, 1, RETRO_DEVICE_ID_ANALOG_X, 16384},
                              {3, RETRO_DEVICE_ANALOG, 1, RETRO_DEVICE_ID_ANALOG_Y, 32767},
                              {0, RETRO_DEVICE_ANALOG, 0, RETRO_DEVICE_ID_ANALOG_X, 0},
                              {0, RETRO_DEVICE_ANALOG, 0, RETRO_DEVICE_ID_ANALOG_Y, -8192},
                              {3, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_BUTTON, 0, 0}};
    for (const auto &[port, device, index, id, answer] : queries) {
        EXPECT_EQ(input_state_callback(port, device, index, id), answer) << port << device << index;
    }
    player.unload_game();
    ASSERT_TRUE(player.load_game(rom)); // ports 0, 2 and 3
    EXPECT_EQ(connections(), 7);
}

TEST_F(ConsoleAccess, StatesInMemoryAreZeroFilledFirst) {
    core->serialize_size = 100;
    core->state[0] = 7;
    std::vector<std::uint8_t> memory, expected(100, 0);
    ASSERT_TRUE(player.save_state_to([&](std::size_t size) {
        memory.assign(size, 0xEE);
        return memory.data();
    }));
    expected[0] = 7;
    EXPECT_EQ(memory, expected);
    EXPECT_FALSE(player.save_state_to([](std::size_t) -> std::uint8_t * { return nullptr; }));
    EXPECT_EQ(calls("retro_serialize"), 1);
}

} // namespace
} // namespace tovarune::testing
