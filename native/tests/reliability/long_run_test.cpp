// Thousands of lifecycles and a hundred thousand frames: resident memory and
// open descriptors stay flat, and no temporary file is left behind.

#include "file_io.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <ostream>

#if defined(__SANITIZE_ADDRESS__)
#define TOVARUNE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOVARUNE_SANITIZED 1
#endif
#endif

namespace tovarune::testing {
namespace {

using Strings = std::vector<std::string>;

#ifdef TOVARUNE_SANITIZED
// Freed memory sits in quarantine there: leaks are LeakSanitizer's to find.
constexpr bool resident_memory_is_meaningful = false;
#else
constexpr bool resident_memory_is_meaningful = true;
#endif

struct Figures {
    long resident_kib = 0;
    std::size_t descriptors = 0;
};

Figures measure() {
    Figures figures;
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    figures.resident_kib = resident * (sysconf(_SC_PAGESIZE) / 1024);
    figures.descriptors = directory_entries("/proc/self/fd").size();
    return figures;
}

void expect_flat(const Figures &before, const Figures &after, long tolerance_kib) {
    ::testing::Test::RecordProperty("rss_kib_before", std::to_string(before.resident_kib));
    ::testing::Test::RecordProperty("rss_kib_after", std::to_string(after.resident_kib));
    ::testing::Test::RecordProperty("fds_before", std::to_string(before.descriptors));
    ::testing::Test::RecordProperty("fds_after", std::to_string(after.descriptors));
    EXPECT_EQ(after.descriptors, before.descriptors);
    if (resident_memory_is_meaningful) {
        EXPECT_LE(after.resident_kib - before.resident_kib, tolerance_kib);
    }
}

Strings sorted_entries(const std::string &path) {
    Strings names = directory_entries(path);
    std::sort(names.begin(), names.end());
    return names;
}

void drain_audio(Player &player) {
    player.pop_audio_frames(1 << 20, [](std::size_t, const StereoFrame &) {});
}

// One whole life of a core and its game.
void live(Player &player, const std::string &core, const std::string &rom, const std::string &state,
          int frames) {
    ASSERT_TRUE(player.load_core(core)) << player.last_error();
    ASSERT_TRUE(player.load_game(rom)) << player.last_error();
    for (int i = 0; i < frames; ++i) {
        player.run_frame();
        drain_audio(player);
    }
    ASSERT_TRUE(player.save_state(state));
    ASSERT_TRUE(player.load_state(state));
    player.unload_game();
    player.unload_core();
}

template <typename Live> void live_many(int count, Live live_once) {
    for (int i = 0; i < count && !::testing::Test::HasFatalFailure(); ++i) {
        live_once();
    }
}

TEST(LongRun, TwoThousandFakeCoreLifecycles) {
    FakeCore core;
    TempDir dir;
    static const std::vector<std::uint16_t> pixels(64 * 48, 0x7C1F);
    static const std::vector<std::int16_t> samples(2 * 800, 1000);
    core->frame_data = pixels.data();
    core->frame_width = 64;
    core->frame_height = 48;
    core->frame_pitch = 64 * 2;
    core->audio = samples.data();
    core->audio_frames = 800;
    core->save_ram_size = sizeof core->save_ram;
    core->serialize_size = 4096;
    write_bytes(dir.path("game.sfc"), {1, 2, 3});
    ASSERT_TRUE(create_directories(dir.path("states")));
    RecordingSink sink;
    Player player;
    player.set_frame_sink(&sink);
    player.set_paths(dir.path("system"), dir.path("saves"));
    const auto once = [&] {
        live(player, core.path(), dir.path("game.sfc"), dir.path("states/slot.state"), 3);
    };

    live_many(20, once);
    const Figures before = measure();
    live_many(2000, once);
    const Figures after = measure();
    expect_flat(before, after, 1024);
    EXPECT_EQ(sink.frames, 3 * (20 + 2000));
    EXPECT_EQ(sorted_entries(dir.path("saves")), Strings{"game.srm"});
    EXPECT_EQ(sorted_entries(dir.path("states")), Strings{"slot.state"});
}

struct DebianCore {
    const char *name;
    const char *library; // under the system's libretro directory
    const char *package; // the Debian package that installs it
    const char *rom;
    // What the core itself leaks at each load and never gives back, all of it
    // allocated inside the core as LeakSanitizer shows; the host adds nothing.
    long own_leak_kib_per_load;
};

void PrintTo(const DebianCore &core, std::ostream *out) { *out << core.name; }

const DebianCore debian_cores[] = {
    {"nes", "nestopia_libretro", "libretro-nestopia", "battery.nes", 1024},
    {"gb", "gambatte_libretro", "libretro-gambatte", "battery.gb", 0},
    {"gba", "mgba_libretro", "libretro-mgba", "battery.gba", 0},
    {"snes", "bsnes_mercury_performance_libretro", "libretro-bsnes-mercury-performance",
     "battery.sfc", 544},
    {"pce", "mednafen_pce_fast_libretro", "libretro-beetle-pce-fast", "battery.pce", 360},
};

class RealCore : public ::testing::TestWithParam<DebianCore> {
protected:
    void SetUp() override {
        const DebianCore &debian = GetParam();
        core = std::string(LIBRETRO_CORE_DIR) + "/" + debian.library + SHARED_LIBRARY_SUFFIX;
        rom = std::string(ROM_DIR) + "/" + debian.rom;
        if (!file_exists(core)) {
            GTEST_SKIP() << core << " is missing: install the Debian package " << debian.package;
        }
        if (!file_exists(rom)) {
            GTEST_SKIP() << rom << " was not built: install the Debian package cc65 and rebuild";
        }
        ASSERT_TRUE(create_directories(dir.path("states")));
        // Some cores refuse games until a system directory is set.
        player.set_paths(dir.path("system"), dir.path("saves"));
    }

    std::string srm() const {
        const std::string name = GetParam().rom;
        return name.substr(0, name.rfind('.')) + ".srm";
    }

    std::string core, rom;
    TempDir dir;
    Player player;
};

TEST_P(RealCore, AHundredLifecycles) {
    const auto once = [&] { live(player, core, rom, dir.path("states/slot.state"), 10); };
    live_many(5, once);
    const Figures before = measure();
    live_many(100, once);
    const Figures after = measure();
    expect_flat(before, after, 4096 + 100 * GetParam().own_leak_kib_per_load);
    EXPECT_EQ(sorted_entries(dir.path("saves")), Strings{srm()});
    EXPECT_EQ(sorted_entries(dir.path("states")), Strings{"slot.state"});
}

INSTANTIATE_TEST_SUITE_P(Debian, RealCore, ::testing::ValuesIn(debian_cores),
                         [](const auto &info) { return std::string(info.param.name); });

class RealCoreFrames : public RealCore {};

TEST_P(RealCoreFrames, AHundredThousandFrames) {
    ASSERT_TRUE(player.load_core(core)) << player.last_error();
    ASSERT_TRUE(player.load_game(rom)) << player.last_error();
    const auto run = [&](int frames) {
        for (int i = 0; i < frames; ++i) {
            player.run_frame();
            drain_audio(player);
        }
    };
    run(3000);
    const Figures before = measure();
    run(100000);
    const Figures after = measure();
    player.unload_game();
    expect_flat(before, after, 1024);
    EXPECT_EQ(sorted_entries(dir.path("saves")), Strings{srm()});
}

// The fastest of the Debian cores.
INSTANTIATE_TEST_SUITE_P(Debian, RealCoreFrames, ::testing::Values(debian_cores[1]),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace tovarune::testing
