// Each Debian libretro core plays a ROM we assembled ourselves (../roms),
// driven through the node's scripting methods the way a game script drives it.
#include "consoles.h"
#include "core/callbacks.h"
#include "libretro_player.h"
#include "test_support.h"

#include <algorithm>
#include <filesystem>
#include <thread>

namespace tovarune::testing {
namespace {

using godot::String;

using Bytes = std::vector<std::uint8_t>;

String text(const std::string &utf8) { return String::utf8(utf8.c_str()); }
Bytes bytes(const godot::PackedByteArray &a) { return Bytes(a.ptr(), a.ptr() + a.size()); }

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
    Rgba probe(const LibretroPlayer *of = nullptr) const {
        const std::size_t at = (std::size_t{c.probe_y} * c.width + c.probe_x) * 4;
        const godot::PackedByteArray bytes = (of ? of : &player)->get_video_texture()->pixels();
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

    // A state, from a file or from memory, replays the same frames whatever the
    // buttons did since.
    ASSERT_TRUE(player.save_state(text(dir.path("state"))));
    const godot::PackedByteArray state = player.save_state_to_bytes();
    std::vector<godot::PackedByteArray> pictures[3];
    for (auto &frames : pictures) {
        for (int i = 0; i < 60; ++i) {
            run(1, (i / 10) % 2 == 1);
            frames.push_back(picture());
        }
        ASSERT_TRUE(&frames == pictures ? player.load_state(text(dir.path("state")))
                                        : player.load_state_from_bytes(state));
    }
    EXPECT_TRUE(pictures[0] == pictures[1] && pictures[1] == pictures[2]);
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

// On the two ROMs that tell where they keep their colour and the second pad.
class ScriptsSeeIntoRealCores : public RealCore {};

TEST_P(ScriptsSeeIntoRealCores, AspectMemoryAndASecondPad) {
    EXPECT_NEAR(player.get_aspect_ratio(), 64.0 / 49, 1e-6); // 256x224 of 8:7 pixels
    const auto memory = [&](int region, std::int64_t offset, std::size_t length) {
        return bytes(player.read_memory(region, offset, static_cast<std::int64_t>(length)));
    };
    EXPECT_EQ(memory(RETRO_MEMORY_SYSTEM_RAM, c.shade_at, c.shade.size()), c.shade);
    godot::PackedByteArray held_shade;
    for (const std::uint8_t byte : c.held_shade) {
        held_shade.push_back(byte);
    }
    ASSERT_TRUE(player.write_memory(RETRO_MEMORY_SYSTEM_RAM, c.shade_at, held_shade));
    run(2);
    EXPECT_EQ(probe(), c.held); // with A released
    for (const std::uint8_t pressed : {0x80, 0x00}) {
        player.set_port_button(1, RETRO_DEVICE_ID_JOYPAD_A, pressed != 0);
        run(2);
        EXPECT_EQ(memory(RETRO_MEMORY_SAVE_RAM, c.pad2_at, 1), Bytes{pressed});
    }
}

INSTANTIATE_TEST_SUITE_P(Debian, ScriptsSeeIntoRealCores,
                         ::testing::Values(consoles[0], consoles[3]),
                         [](const auto &info) { return std::string(info.param.name); });

// Eight consoles at once, three of them twice on one core file, each with its
// own buttons: interleaved on one thread, then each on a thread of its own,
// every one ends exactly as it does when it plays alone.
TEST(ManyRealCores, EightConsolesPlayAsEachDoesAlone) {
    const int which[] = {0, 1, 2, 3, 4, 0, 1, 2}, frames = 150;
    const auto library = [&](int n) {
        return std::string(LIBRETRO_CORE_DIR) + "/" + consoles[which[n]].library +
               SHARED_LIBRARY_SUFFIX;
    };
    for (int n = 0; n < 5; ++n) {
        if (!file_exists(library(n))) {
            GTEST_SKIP() << library(n) << " is missing: install " << consoles[n].package;
        }
    }
    TempDir dir;
    const auto start = [&](LibretroPlayer &player, int n, const std::string &run) {
        player.set_paths(text(dir.path("system")), text(dir.path(run + std::to_string(n))));
        ASSERT_TRUE(player.load_core(text(library(n))) &&
                    player.load_game(text(std::string(ROM_DIR) + "/" + consoles[which[n]].rom)));
    };
    const auto step = [](LibretroPlayer &player, int n, int frame) {
        player.set_button(RETRO_DEVICE_ID_JOYPAD_A, (frame / (5 + n)) % 2 == 1);
        player.run_frame();
        player.pop_audio_frames(1 << 20);
    };
    // The picture, the system RAM and the save RAM.
    const auto result = [](LibretroPlayer &player) {
        return std::vector<Bytes>{bytes(player.get_video_texture()->pixels()),
                                  bytes(player.read_memory(2, 0, player.get_memory_size(2))),
                                  bytes(player.read_memory(0, 0, player.get_memory_size(0)))};
    };
    std::vector<std::vector<Bytes>> alone;
    for (int n = 0; n < 8; ++n) {
        LibretroPlayer player;
        start(player, n, "alone");
        for (int frame = 0; frame < frames; ++frame) {
            step(player, n, frame);
        }
        alone.push_back(result(player));
    }
    for (const bool threads : {false, true}) {
        LibretroPlayer players[8];
        std::vector<std::thread> running;
        for (int n = 0; n < 8; ++n) {
            start(players[n], n, threads ? "threads" : "together");
        }
        for (int n = 0; n < 8 && threads; ++n) {
            running.emplace_back([&, n] {
                for (int frame = 0; frame < frames; ++frame) {
                    step(players[n], n, frame);
                }
            });
        }
        for (int frame = 0; frame < frames && !threads; ++frame) {
            for (int n = 0; n < 8; ++n) {
                step(players[n], n, frame);
            }
        }
        for (std::thread &thread : running) {
            thread.join();
        }
        for (int n = 0; n < 8; ++n) {
            EXPECT_EQ(result(players[n]), alone[n]) << consoles[which[n]].name << threads;
        }
    }
}

} // namespace
} // namespace tovarune::testing
