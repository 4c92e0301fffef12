// The environment of a current frontend: facts, timing, rotation, shutdown,
// the callbacks around each frame, messages, rumble and memory maps.
#include "core/callbacks.h"
#include "test_support.h"

#include <cstring>
#include <thread>

namespace tovarune::testing {
namespace {

using News = std::vector<std::string>;

TEST(Environment, FrontendFactsAreAnsweredAsLibretroDefinesThem) {
    Player player;
    constexpr unsigned experimental = RETRO_ENVIRONMENT_EXPERIMENTAL;
    // clang-format off
    const std::pair<unsigned, std::uint64_t> cases[] = { // storage starts as all ones
        {RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE, 0xFFFFFFFF00000003},
        {RETRO_ENVIRONMENT_GET_AUDIO_VIDEO_ENABLE & ~experimental, 0xFFFFFFFF00000003},
        {RETRO_ENVIRONMENT_GET_OVERSCAN, 0xFFFFFFFFFFFFFF00}, {RETRO_ENVIRONMENT_GET_FASTFORWARDING, 0xFFFFFFFFFFFFFF00},
        {RETRO_ENVIRONMENT_GET_MESSAGE_INTERFACE_VERSION, 0xFFFFFFFF00000001},
        {RETRO_ENVIRONMENT_GET_SAVESTATE_CONTEXT, 0xFFFFFFFF00000000}, {RETRO_ENVIRONMENT_GET_USERNAME, 0},
        {RETRO_ENVIRONMENT_GET_LIBRETRO_PATH, 0}, // no core
        {RETRO_ENVIRONMENT_GET_TARGET_REFRESH_RATE, 0xFFFFFFFF42700000}, // 60.0f
        {RETRO_ENVIRONMENT_GET_THROTTLE_STATE, 0x4270000000000000},      // none, 60.0f
        {RETRO_ENVIRONMENT_SET_SERIALIZATION_QUIRKS, 0x7F},              // the seven known
    };
    // clang-format on
    for (const auto &[command, value] : cases) {
        std::uint64_t storage = ~0ull;
        EXPECT_TRUE(environment_callback(player, command, &storage)) << command;
        EXPECT_EQ(storage, value) << command;
        EXPECT_FALSE(environment_callback(player, command, nullptr)) << command;
    }
    std::uint64_t quirks = RETRO_SERIALIZATION_QUIRK_CORE_VARIABLE_SIZE;
    EXPECT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_SET_SERIALIZATION_QUIRKS, &quirks));
    EXPECT_EQ(quirks, 0xCu); // acknowledged: states of any size are taken
    EXPECT_EQ(player.serialization_quirks(), 0xCu);

    retro_perf_callback perf{};
    ASSERT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_GET_PERF_INTERFACE, &perf));
    retro_perf_counter counter{"frame", 0, 0, 0, false};
    const retro_time_t before = perf.get_time_usec();
    perf.perf_register(&counter);
    perf.perf_start(&counter);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    perf.perf_stop(&counter);
    perf.perf_start(nullptr);
    EXPECT_TRUE(counter.registered && counter.call_cnt == 1 && counter.total >= 2000000);
    EXPECT_GE(perf.get_time_usec() - before, 2000);
}

class Frontend : public ::testing::Test {
protected:
    void SetUp() override {
        player.set_events(&events);
        write_bytes(rom, {1});
        core->av_info.timing = {60.0, 32000.0};
        core->av_info.geometry = {256, 224, 512, 448, 4.0f / 3.0f};
        ASSERT_TRUE(player.load_core(core.path()));
    }
    // Runs one frame in which the core does `act`.
    void frame(const std::function<void()> &act) {
        as_core("retro_run", act, [&] { player.run_frame(); });
    }
    bool tell(unsigned command, const void *data) {
        return core->environment(command, const_cast<void *>(data));
    }

    FakeCore core;
    TempDir dir;
    std::string rom = dir.path("game.bin");
    RecordingEvents events;
    Player player;
};

TEST_F(Frontend, TimingGeometryRotationAndShutdownFollowTheCore) {
    const char *path = nullptr;
    as_core(
        "retro_load_game", [&] { tell(RETRO_ENVIRONMENT_GET_LIBRETRO_PATH, &path); },
        [&] { return player.load_game(rom); });
    const std::string told = path != nullptr ? path : "";
    EXPECT_EQ(told, player.core_file());
    EXPECT_EQ(told.substr(told.find_last_of("/\\") + 1), "fake_core" SHARED_LIBRARY_SUFFIX);
#ifndef _WIN32
    EXPECT_EQ(told, core.path()); // where the loader found it
#endif

    const retro_system_av_info mode{{320, 200, 640, 480, 0.0f}, {70.0, 44100.0}};
    const retro_game_geometry wide{160, 100, 1, 1, 2.0f};
    unsigned turn = 3, beyond = 4;
    frame([&] {
        EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_SYSTEM_AV_INFO, &mode));
        EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_SYSTEM_AV_INFO, &mode)); // the same: no news
        EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_ROTATION, &turn));
        EXPECT_FALSE(tell(RETRO_ENVIRONMENT_SET_ROTATION, &beyond));
    });
    EXPECT_EQ(player.fps(), 70.0);
    EXPECT_EQ(player.sample_rate(), 44100.0);
    EXPECT_DOUBLE_EQ(player.aspect_ratio(), 1.6);
    EXPECT_EQ(player.rotation(), 3u);
    frame([&] { EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_GEOMETRY, &wide)); });
    EXPECT_EQ(player.aspect_ratio(), 2.0);
    EXPECT_EQ(player.av_info().geometry.max_width, 640u); // only SET_SYSTEM_AV_INFO changes it
    EXPECT_EQ(player.av_info().geometry.base_height, 100u);
    EXPECT_EQ(events.news, (News{"av_info", "av_info"}));

    frame([&] {
        EXPECT_TRUE(core->environment(RETRO_ENVIRONMENT_SHUTDOWN, nullptr));
        EXPECT_TRUE(core->environment(RETRO_ENVIRONMENT_SHUTDOWN, nullptr));
    });
    core.clear_calls();
    player.run_frame();
    EXPECT_TRUE(core.calls().empty());
    EXPECT_EQ(events.news.back(), "shutdown");
    EXPECT_EQ(events.news.size(), 3u);
    ASSERT_TRUE(player.load_game(rom)); // the next game plays
    player.run_frame();
    EXPECT_EQ(core.calls().back(), "retro_run");
    EXPECT_EQ(player.rotation(), 3u); // the core's, across its games
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(player.rotation(), 0u);
}

// What the callbacks were told, in order, with whether they ran inside the core.
std::vector<std::string> heard;
void hear(const std::string &what) {
    heard.push_back(what + (CoreCall::under_way() ? "" : " outside"));
}

TEST_F(Frontend, CallbacksAroundEachFrameRunInOrderInsideTheCore) {
    static const std::vector<std::int16_t> sound(2 * 100, 7); // 100 frames a call
    const retro_frame_time_callback timing{[](retro_usec_t usec) { hear(std::to_string(usec)); },
                                           0};
    const retro_audio_buffer_status_callback status{
        [](bool active, unsigned occupancy, bool under) {
            hear("status " + std::to_string(active) + std::to_string(occupancy) +
                 std::to_string(under));
        }};
    const retro_audio_callback audio{[] {
                                         hear("audio");
                                         FakeCore::current().audio_sample_batch(sound.data(), 100);
                                     },
                                     [](bool on) { hear("state " + std::to_string(on)); }};
    core->av_info.timing = {50.0, 32000.0}; // 640 sound frames a frame
    ASSERT_TRUE(as_core(
        "retro_load_game",
        [&] {
            EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_FRAME_TIME_CALLBACK, &timing));
            EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_AUDIO_BUFFER_STATUS_CALLBACK, &status));
            EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_AUDIO_CALLBACK, &audio));
        },
        [&] { return player.load_game(rom); }));
    core->hook = [](const char *entry) { hear(entry); };
    player.run_frame();
    const std::vector<std::string> first = {"20000", "status 100", "retro_run", "state 1",
                                            "audio", "audio",      "audio",     "audio",
                                            "audio", "audio",      "audio"};
    EXPECT_EQ(heard, first);
    EXPECT_EQ(player.queued_audio_frames(), 700u);
    heard.clear();
    player.run_frame();
    player.run_frame();
    player.unload_game();
    EXPECT_EQ(heard[11], "status 110"); // 1400 of 96000 frames queued
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "audio"), 14);
    EXPECT_EQ(heard[heard.size() - 2], "state 0");
    core->hook = nullptr;
    heard.clear();
    player.run_frame(); // no game: nothing
    EXPECT_TRUE(heard.empty());

    const retro_frame_time_callback exact{timing.callback, 16667};
    ASSERT_TRUE(player.load_game(rom));
    frame([&] {
        tell(RETRO_ENVIRONMENT_SET_FRAME_TIME_CALLBACK, &exact);
        tell(RETRO_ENVIRONMENT_SET_AUDIO_BUFFER_STATUS_CALLBACK, nullptr);
    });
    heard.clear();
    player.run_frame();
    EXPECT_EQ(heard[0] + " " + heard[1], "16667 audio"); // the core's reference; no status
}

TEST_F(Frontend, MessagesAndRumbleReachThePlayersEvents) {
    core->av_info.timing.fps = 50.0;
    ASSERT_TRUE(player.load_game(rom));
    retro_rumble_interface rumble{};
    const retro_message hello{"ola", 90}; // frames of the game's
    const auto ext = [](unsigned level, retro_message_target target) {
        return retro_message_ext{
            "disco 2", 2500, 1, retro_log_level(level), target, RETRO_MESSAGE_TYPE_NOTIFICATION,
            -1};
    };
    const retro_message_ext log_only = ext(RETRO_LOG_WARN, RETRO_MESSAGE_TARGET_LOG),
                            screen_only = ext(RETRO_LOG_ERROR, RETRO_MESSAGE_TARGET_OSD),
                            both = ext(9, RETRO_MESSAGE_TARGET_ALL), unnamed{};
    frame([&] {
        ASSERT_TRUE(tell(RETRO_ENVIRONMENT_GET_RUMBLE_INTERFACE, &rumble));
        EXPECT_TRUE(rumble.set_rumble_state(1, RETRO_RUMBLE_WEAK, 0x8000));
        EXPECT_TRUE(rumble.set_rumble_state(1, RETRO_RUMBLE_WEAK, 0x8000)); // unchanged: no news
        EXPECT_FALSE(rumble.set_rumble_state(8, RETRO_RUMBLE_STRONG, 1) ||
                     rumble.set_rumble_state(0, retro_rumble_effect(2), 1));
        for (const void *message : {&log_only, &screen_only, &both}) {
            EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_MESSAGE_EXT, message));
        }
        EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_MESSAGE, &hello));
        EXPECT_FALSE(tell(RETRO_ENVIRONMENT_SET_MESSAGE_EXT, &unnamed));
    });
    // A core's own thread may rumble too.
    std::thread([&] {
        EXPECT_TRUE(rumble.set_rumble_state(7, RETRO_RUMBLE_STRONG, 0xFFFF));
    }).join();
    player.unload_game();
    const News news = {"rumble 1 1 0.500008", "message disco 2 2.5", "message disco 2 2.5",
                       "message ola 1.8",     "rumble 7 0 1",        "rumble 1 1 0",
                       "rumble 7 0 0"};
    EXPECT_EQ(events.news, news);
    using Line = std::pair<unsigned, std::string>;
    EXPECT_EQ(events.lines,
              (std::vector<Line>{{RETRO_LOG_WARN, "disco 2"}, {RETRO_LOG_INFO, "disco 2"}}));
}

// SNES-like descriptors from libretro.h's own examples, and some that no
// core should give.
TEST_F(Frontend, MemoryMapsFindEachAddressAsLibretroDescribesIt) {
    static std::uint8_t wram[0x20000], rom_bytes[0x18000], sram[0x810], other[0x10];
    const std::uintptr_t near_end = ~std::uintptr_t{0} - 4;
    const retro_memory_descriptor descriptors[] = {
        {0, other, 0, 0x900000, 0x800000, 0, 0x10, nullptr}, // start outside select: left out
        {0, other, 0, 0, 0, 0, 0x10, "S"},                   // another address space
        {0, reinterpret_cast<void *>(near_end), 0x10, 0xC00000, 0xFF0000, 0, 0x10, nullptr},
        {RETRO_MEMDESC_SYSTEM_RAM, wram, 0, 0x7E0000, 0, 0, 0x20000, nullptr},
        {0, wram, 0, 0, 0x40E000, ~std::size_t{0x1FFF}, 0, nullptr}, // mirrors; len implied
        {RETRO_MEMDESC_CONST, rom_bytes, 0, 0x008000, 0x408000, 0x8000, 0x18000, nullptr}, // LoROM
        {0, nullptr, 0, 0x600000, 0xFF0000, 0, 0x10000, nullptr}, // open bus shadows the next
        {0, other, 0, 0x600000, 0xFF0000, 0, 0x10, nullptr},
        {RETRO_MEMDESC_SAVE_RAM, sram, 0x10, 0x700000, 0xFF8000, 0, 0x800, nullptr},
        {0, nullptr, 0, 0, 0xFFFFFF, 0, 0, nullptr}, // the size of the address space
    };
    const retro_memory_map map{descriptors, std::size(descriptors)};
    const retro_memory_map garbage{descriptors, MemoryMaps::descriptor_limit + 1};
    ASSERT_TRUE(as_core(
        "retro_load_game",
        [&] {
            EXPECT_TRUE(tell(RETRO_ENVIRONMENT_SET_MEMORY_MAPS & 0xFFFF, &map));
            EXPECT_FALSE(tell(RETRO_ENVIRONMENT_SET_MEMORY_MAPS, &garbage)); // keeps the map
        },
        [&] { return player.load_game(rom); }));
    // clang-format off
    const std::pair<std::size_t, std::uint8_t *> cases[] = { // address and the byte it reaches
        {0x7E1234, wram + 0x1234}, {0x7F0010, wram + 0x10010}, {0x001234, wram + 0x1234},
        {0x000005, wram + 5}, {0x801FFF, wram + 0x1FFF}, {0x1000000, wram}, {0x002000, nullptr}, {0x008000, rom_bytes},
        {0x018123, rom_bytes + 0x8123}, {0x038123, rom_bytes + 0x8123}, // len clears bit 16
        {0x808000, rom_bytes}, {0x408000, nullptr}, {0x600000, nullptr},
        {0x700005, sram + 0x15}, {0x700805, sram + 0x15}, {0x708000, nullptr},
        {0x900000, wram}, {0xC00000, nullptr},
    };
    // clang-format on
    for (const auto &[address, byte] : cases) {
        std::uint8_t before = 0, after = 0;
        const bool read = player.read_address(address, &before, 1);
        if (byte != nullptr) {
            ++*byte; // the byte read must be this one
            player.read_address(address, &after, 1);
            --*byte;
        }
        EXPECT_EQ(read, byte != nullptr) << std::hex << address;
        EXPECT_EQ(after, byte != nullptr ? std::uint8_t(before + 1) : 0) << std::hex << address;
    }
    // Ranges cross descriptors as the addresses lead; all or nothing.
    rom_bytes[0x7FFF] = 0xAB, wram[0] = 0xCD;
    std::uint8_t two[2] = {}, three[3] = {};
    EXPECT_TRUE(player.read_address(0x00FFFF, two, 2));
    EXPECT_EQ(two[0] * 256 + two[1], 0xABCD);
    EXPECT_FALSE(player.read_address(0x001FFF, two, 2) || player.read_address(~0ull, two, 2));
    const std::uint8_t marks[2] = {0xEE, 0xEE};
    EXPECT_FALSE(player.write_address(0x001FFF, marks, 2) ||
                 player.write_address(0x018000, marks, 1));
    EXPECT_EQ(wram[0x1FFF] + rom_bytes[0x8000], 0); // nothing written
    EXPECT_TRUE(player.write_address(0x7E0000, three, 3));
    EXPECT_EQ(wram[0], 0);
    player.unload_game();
    EXPECT_FALSE(player.read_address(0x7E0000, two, 1));
}

} // namespace
} // namespace tovarune::testing
