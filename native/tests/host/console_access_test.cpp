// What a script reaches of the console beyond picture and sound: its aspect,
// the other joypads, its memory, states in memory and the core's description.

#include "callbacks.h"
#include "test_support.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ConsoleAccess : public ::testing::Test {
protected:
    void SetUp() override {
        write_bytes(rom, {1, 2, 3});
        ASSERT_TRUE(player.load_core(core.path()));
        ASSERT_TRUE(player.load_game(rom));
    }
    long called(const char *entry_point) {
        const auto calls = core.calls();
        return std::count(calls.begin(), calls.end(), std::string(entry_point));
    }
    long connections() { return called("retro_set_controller_port_device"); }

    FakeCore core;
    TempDir dir;
    std::string rom = dir.path("game.sfc");
    Player player;
};

TEST_F(ConsoleAccess, AspectComesFromTheGeometryAndOutlivesTheGame) {
    struct Row {
        float aspect;
        unsigned width, height;
        double expected;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Row rows[] = {{1.5f, 256, 224, 1.5},
                        {0.0f, 256, 224, 256.0 / 224},
                        {-1.0f, 320, 240, 4.0 / 3},
                        {nan, 320, 0, 0.0},
                        {0.0f, 0, 240, 0.0}};
    for (const Row &row : rows) {
        core->av_info.geometry = {row.width, row.height, 0, 0, row.aspect};
        ASSERT_TRUE(player.load_game(rom));
        player.unload_game();
        EXPECT_DOUBLE_EQ(player.aspect_ratio(), row.expected) << row.width << "x" << row.height;
    }
}

TEST_F(ConsoleAccess, MemoryRangesMustLieWhollyInsideTheRegion) {
    for (std::uint8_t i = 0; i < 64; ++i) {
        core->system_ram[i] = i;
    }
    core->system_ram_size = 16; // the bytes past it are not the region's
    const Bytes before(core->system_ram, core->system_ram + 64);
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::int64_t min = std::numeric_limits<std::int64_t>::min();
    const struct {
        std::int64_t offset, length;
        bool inside;
    } rows[] = {{0, 16, true},     {15, 1, true},   {16, 0, true},   {16, 1, false},
                {15, 2, false},    {17, 0, false},  {-1, 1, false},  {0, -1, false},
                {max, max, false}, {1, max, false}, {max, 1, false}, {min, 17, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(::testing::Message() << row.offset << " + " << row.length);
        const MemoryView view = player.read_memory(RETRO_MEMORY_SYSTEM_RAM, row.offset, row.length);
        EXPECT_EQ(view.data, row.inside ? core->system_ram + row.offset : nullptr);
        EXPECT_EQ(view.size, row.inside ? static_cast<std::size_t>(row.length) : 0u);
        if (row.length >= 0 && row.length <= 64) {
            const Bytes data(static_cast<std::size_t>(row.length), 0xEE);
            Bytes expected = before;
            if (row.inside) {
                std::fill_n(expected.begin() + row.offset, row.length, 0xEE);
            }
            EXPECT_EQ(
                player.write_memory(RETRO_MEMORY_SYSTEM_RAM, row.offset, data.data(), data.size()),
                row.inside);
            EXPECT_EQ(Bytes(core->system_ram, core->system_ram + 64), expected);
            std::copy(before.begin(), before.end(), core->system_ram);
        }
    }
    const std::uint8_t byte = 1;
    EXPECT_EQ(player.memory_size(RETRO_MEMORY_SYSTEM_RAM), 16);
    core->save_ram_size = 8;
    core->save_ram_null = true;
    for (const unsigned region : {RETRO_MEMORY_SAVE_RAM, RETRO_MEMORY_RTC}) { // null, size 0
        EXPECT_EQ(player.memory_size(region), 0);
        EXPECT_EQ(player.read_memory(region, 0, 0).data, nullptr);
        EXPECT_FALSE(player.write_memory(region, 0, &byte, 1));
    }
    player.unload_game();
    EXPECT_EQ(player.memory_size(RETRO_MEMORY_SYSTEM_RAM), 0);
    EXPECT_EQ(player.read_memory(RETRO_MEMORY_SYSTEM_RAM, 0, 1).data, nullptr);
    EXPECT_FALSE(player.write_memory(RETRO_MEMORY_SYSTEM_RAM, 0, &byte, 1));
    EXPECT_EQ(Bytes(core->system_ram, core->system_ram + 64), before);
}

TEST_F(ConsoleAccess, OtherPortsAreConnectedAtTheirFirstInputDuringAGame) {
    player.unload_game();
    player.set_port_button(2, RETRO_DEVICE_ID_JOYPAD_A, true); // no game yet
    EXPECT_EQ(connections(), 1);
    ASSERT_TRUE(player.load_game(rom)); // port 0, then port 2, already in use
    EXPECT_EQ(connections(), 3);
    EXPECT_EQ(core->port_device[0], 2u);
    EXPECT_EQ(core->port_device[1], static_cast<unsigned>(RETRO_DEVICE_JOYPAD));
    player.set_port_button(2, RETRO_DEVICE_ID_JOYPAD_B, true);
    player.set_port_button(0, RETRO_DEVICE_ID_JOYPAD_START, true);
    player.set_analog(0, RETRO_DEVICE_INDEX_ANALOG_LEFT, 1.0, 7.0);
    for (const auto &[port, id] : {std::pair{4, 0}, {-1, 0}, {1, 16}, {1, -1}}) {
        player.set_port_button(port, id, true);
        player.set_analog(port, id == 0 ? 2 : id, 1.0, 1.0);
    }
    EXPECT_EQ(connections(), 3);
    player.set_analog(3, RETRO_DEVICE_INDEX_ANALOG_RIGHT, 0.5, -2.0);
    EXPECT_EQ(connections(), 4);
    EXPECT_EQ(core->port_device[0], 3u);
    player.set_analog(1, RETRO_DEVICE_INDEX_ANALOG_LEFT, std::numeric_limits<double>::quiet_NaN(),
                      -0.25);
    player.set_button(RETRO_DEVICE_ID_JOYPAD_START, false);
    player.set_port_button(0, RETRO_DEVICE_ID_JOYPAD_L, true);

    const struct {
        unsigned port, device, index, id;
        std::int16_t answer;
    } queries[] = {
        {2, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_A, 1},
        {2, RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_JOYPAD, 1), 0, RETRO_DEVICE_ID_JOYPAD_B, 1},
        {2, RETRO_DEVICE_JOYPAD, 1, RETRO_DEVICE_ID_JOYPAD_A, 0},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_START, 0},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_L, 1},
        {1, RETRO_DEVICE_JOYPAD, 0, 0, 0},
        {4, RETRO_DEVICE_JOYPAD, 0, 0, 0},
        {0, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, RETRO_DEVICE_ID_ANALOG_X, 32767},
        {0, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, RETRO_DEVICE_ID_ANALOG_Y, 32767},
        {3, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_RIGHT, RETRO_DEVICE_ID_ANALOG_X, 16384},
        {3, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_RIGHT, RETRO_DEVICE_ID_ANALOG_Y, -32767},
        {3, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, RETRO_DEVICE_ID_ANALOG_X, 0},
        {1, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, RETRO_DEVICE_ID_ANALOG_X, 0},
        {1, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, RETRO_DEVICE_ID_ANALOG_Y, -8192},
        {0, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_BUTTON, 0, 0},
        {0, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, 2, 0},
    };
    for (const auto &q : queries) {
        EXPECT_EQ(input_state_callback(q.port, q.device, q.index, q.id), q.answer)
            << q.port << " " << q.device << " " << q.index << " " << q.id;
    }
    player.unload_game();
    ASSERT_TRUE(player.load_game(rom)); // ports 0, 1, 2 and 3 again
    EXPECT_EQ(connections(), 9);
    player.set_port_button(1, 0, false);
    EXPECT_EQ(connections(), 9);
}

TEST_F(ConsoleAccess, StatesInMemoryFollowTheRulesOfStateFiles) {
    for (std::uint8_t i = 0; i < 64; ++i) {
        core->state[i] = static_cast<std::uint8_t>(i + 1);
    }
    core->serialize_size = 100;
    Bytes memory;
    const auto into = [&](std::size_t size) {
        memory.assign(size, 0xEE);
        return memory.data();
    };
    int allocations = 0;
    const auto refused = [&](std::size_t) -> std::uint8_t * { return ++allocations, nullptr; };
    ASSERT_TRUE(player.save_state_to(into));
    Bytes expected(core->state, core->state + 64);
    expected.resize(100, 0); // what the core left unwritten
    EXPECT_EQ(memory, expected);
    EXPECT_TRUE(player.load_state_from(memory.data(), 5));
    EXPECT_EQ(core->unserialized_size, 5u);
    core->unserialize_result = false;
    EXPECT_FALSE(player.load_state_from(memory.data(), 5));
    core->serialize_result = false;
    EXPECT_FALSE(player.save_state_to(into));

    core.clear_calls();
    EXPECT_FALSE(player.save_state_to(refused));
    EXPECT_EQ(allocations, 1);
    core->serialize_size = 0;
    EXPECT_FALSE(player.save_state_to(refused));
    EXPECT_FALSE(player.load_state_from(memory.data(), 0));
    core->serialize_size = 16;
    player.unload_game();
    EXPECT_FALSE(player.save_state_to(refused));
    EXPECT_FALSE(player.load_state_from(memory.data(), 5));
    EXPECT_EQ(allocations, 1);
    EXPECT_EQ(called("retro_serialize") + called("retro_unserialize"), 0);
}

TEST_F(ConsoleAccess, CoreInfoCopiesTheCoresTexts) {
    core->valid_extensions = "|sfc||smc|";
    core->block_extract = true;
    CoreInfo info;
    ASSERT_TRUE(player.core_info(info));
    EXPECT_EQ(info.library_name, "fake");
    EXPECT_EQ(info.library_version, "1");
    EXPECT_EQ(info.valid_extensions, (std::vector<std::string>{"sfc", "smc"}));
    EXPECT_FALSE(info.need_fullpath);
    EXPECT_TRUE(info.block_extract);
    core->valid_extensions = nullptr;
    core->need_fullpath = true;
    ASSERT_TRUE(player.core_info(info));
    EXPECT_TRUE(info.valid_extensions.empty());
    EXPECT_TRUE(info.need_fullpath);
    player.unload_core();
    EXPECT_FALSE(player.core_info(info));
}

} // namespace
} // namespace tovarune::testing
