// What lands on disk: directories, battery saves and save states. Nothing a
// failure touches may lose the file that was there; a pipe or a device in place
// of a file never blocks the game, and links and long names save as files do.
#include "content/file_io.h"
#include "core/processes.h"
#include "saves/save_ram_path.h"
#include "test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

class SaveFiles : public ::testing::Test {
protected:
    void SetUp() override {
        core->save_ram_size = 4;
        write_bytes(rom, {1});
        player.set_paths("", saves);
        ASSERT_TRUE(player.load_core(core.path()));
        ASSERT_TRUE(player.load_game(rom));
    }
    Bytes ram() { return Bytes(core->save_ram, core->save_ram + 4); }

    FakeCore core;
    TempDir dir;
    const std::string saves = dir.path("\xC3\xBAnico/b"), rom = dir.path("Jogo.v1.sfc");
    const std::string srm = saves + "/Jogo.v1.srm";
    Player player;
};

TEST_F(SaveFiles, BatteryRamIsReadAtLoadAndWrittenAtUnload) {
    core->save_ram[0] = 1;
    player.unload_core();
    EXPECT_EQ(read_bytes(srm), (Bytes{1, 0, 0, 0}));
    write_bytes(srm, {7}); // a short file fills the start
    ASSERT_TRUE(player.load_core(core.path()));
    ASSERT_TRUE(player.load_game(rom));
    EXPECT_EQ(ram(), (Bytes{7, 0, 0, 0}));
    player.set_paths("", "");
    player.unload_game();
    EXPECT_EQ(read_bytes(srm), Bytes{7});
#ifndef _WIN32
    // Replaced whole or not at all: a write cut short leaves the old file.
    player.set_paths("", saves);
    core->save_ram_size = 64;
    ASSERT_TRUE(player.load_game(rom));
    const FileSizeLimit full_disk(32);
    player.unload_game();
    EXPECT_EQ(player.last_error(), "Nao foi possivel gravar o save da bateria: " + srm);
    EXPECT_EQ(read_bytes(srm), Bytes{7});
    EXPECT_EQ(directory_entries(saves), Strings{"Jogo.v1.srm"});
#endif
}

// A process before this one that had its id (as under Wine) left temporary
// files: those that can go, go, and a name still taken moves on to the next.
TEST_F(SaveFiles, LeftoversOfAnEarlierProcessOfTheSameIdNeverStopASave) {
    char id[9];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(current_process_id()));
    const std::string taken = "Jogo.v1.srm." + std::string(id) + "-00000000.tovarune-tmp";
    std::filesystem::create_directory(path_of(saves + "/" + taken));
    write_bytes(saves + "/Jogo.v1.srm." + id + "-00000001.tovarune-tmp", {1});
    core->save_ram[0] = 9;
    player.unload_game();
    EXPECT_EQ(player.last_error(), "");
    EXPECT_EQ(read_bytes(srm), (Bytes{9, 0, 0, 0}));
    Strings left = directory_entries(saves);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (Strings{"Jogo.v1.srm", taken}));
}

// Players of one game in one save directory, however they name it, never share
// a battery save, and find theirs again when they load in the same order.
TEST_F(SaveFiles, PlayersOfOneGameKeepBatterySavesOfTheirOwn) {
    Player others[2];
    others[1].set_save_name("armario");
    const auto load = [&](Player &other) {
        ASSERT_TRUE(other.load_game(rom));
        EXPECT_EQ(fake_core_of(other).save_ram[0], &other - others + 2);
    };
    for (Player &other : others) {
        other.set_paths("", saves + "/../b");
        ASSERT_TRUE(other.load_core(core.path()));
        fake_core_of(other).save_ram_size = 4;
        fake_core_of(other).save_ram[0] = static_cast<std::uint8_t>(&other - others + 2);
        load(other);
    }
    EXPECT_EQ(player.save_name() + others[0].save_name() + others[1].save_name(),
              "Jogo.v1Jogo.v1 (2)armario");
    player.unload_game();
    for (Player &other : others) {
        other.unload_game();
        fake_core_of(other).save_ram[0] = 0;
    }
    ASSERT_TRUE(player.load_game(rom)); // in the same order: each finds its own
    for (Player &other : others) {
        load(other);
    }
    player.unload_game(); // its name is free again
    others[0].unload_game();
    ASSERT_TRUE(others[0].load_game(rom));
    EXPECT_EQ(others[0].save_name(), "Jogo.v1");
}

TEST_F(SaveFiles, StatesHoldTheWholeBufferAndFailuresWriteNothing) {
    const std::string state = dir.path("estado \xC3\xA7");
    core->state[0] = 0x5A;
    core->serialize_size = 100; // the fake core writes only the first 64
    ASSERT_TRUE(player.save_state(state));
    Bytes expected(100, 0), memory;
    expected[0] = 0x5A;
    EXPECT_EQ(read_bytes(state), expected);
    // In memory too, whatever that memory held.
    ASSERT_TRUE(player.save_state_to([&](std::size_t size) {
        memory.assign(size, 0xEE);
        return memory.data();
    }));
    EXPECT_EQ(memory, expected);
    EXPECT_TRUE(player.load_state(state));
    EXPECT_EQ(core->unserialized_size, 100u);
    core->unserialize_result = false;
    EXPECT_FALSE(player.load_state(state));
    write_bytes(dir.path("empty"), {});
    EXPECT_FALSE(player.load_state(dir.path("empty")) || player.load_state(dir.path("none")));
    core->serialize_result = false;
    EXPECT_FALSE(player.save_state(dir.path("refused")));
    core->serialize_result = true;
    core->serialize_size = 0;
    EXPECT_FALSE(player.save_state(dir.path("empty state")));
    EXPECT_EQ(directory_entries(dir.path()).size(), 4u);
    player.unload_game();
    EXPECT_FALSE(player.save_state(state) || player.load_state(state));
}

#if !defined(_WIN32) && !defined(__SANITIZE_THREAD__) // whose calloc writes every byte
std::int64_t resident_bytes() {
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0, pages = 0;
    statm >> size >> pages;
    return pages * sysconf(_SC_PAGESIZE);
}
#endif

// Memory that the core leaves unwritten is never touched, and a size that no
// console needs is refused before any memory is taken, and said once.
TEST_F(SaveFiles, StatesTouchOnlyWhatTheCoreWritesAndAbsurdSizesAreRefused) {
    RecordingEvents events;
    player.set_events(&events);
#if !defined(_WIN32) && !defined(__SANITIZE_THREAD__)
    core->serialize_size = std::size_t(64) << 20;
    std::int64_t grown = 0;
    const std::int64_t before = resident_bytes();
    as_core(
        "retro_serialize", [&] { grown = resident_bytes() - before; },
        [&] { return player.save_state(dir.path("none/state")); });
    EXPECT_LT(grown, 16 << 20);
#endif
    core->serialize_size = (std::size_t(512) << 20) + 1;
    std::size_t asked = 0;
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_FALSE(player.save_state_to([&](std::size_t size) -> std::uint8_t * {
            asked = size;
            return nullptr;
        }));
    }
    EXPECT_EQ(asked, 0u);
    const std::vector<std::pair<unsigned, std::string>> said = {
        {RETRO_LOG_ERROR, "O core pediu 536870913 bytes para salvar o estado, mais que o limite "
                          "de 512 MiB: o estado nao e salvo."}};
    EXPECT_EQ(events.lines, said);
}

#ifndef _WIN32
// Where a file should be: a pipe, a device, or a link to either or to nothing.
TEST_F(SaveFiles, WhatIsNoRegularFileIsRefusedAtOnceAndKept) {
    const std::string pipe = dir.path("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    alarm(30); // a call that blocks ends the run here rather than hanging it
    const auto start = std::chrono::steady_clock::now();
    for (const std::string &path : {pipe, std::string("/dev/zero"), std::string("nowhere")}) {
        EXPECT_FALSE(player.load_core(path));
        EXPECT_EQ(player.last_error(), "Nao foi possivel carregar o core Libretro: " + path);
        ASSERT_TRUE(player.load_core(core.path()));
        EXPECT_FALSE(player.load_game(path));
        EXPECT_EQ(player.last_error(), "Nao foi possivel abrir a ROM.");
        fs::remove(srm);
        fs::create_symlink(path, srm);
        std::fill_n(core->save_ram, 4, 7);
        ASSERT_TRUE(player.load_game(rom));
        EXPECT_EQ(ram(), Bytes(4, 7)) << path;
        core.clear_calls();
        EXPECT_FALSE(player.load_state(path));
        EXPECT_EQ(core.calls(), Strings{});
        player.unload_game();
        EXPECT_EQ(fs::read_symlink(srm), path);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(directory_entries(saves), Strings{"Jogo.v1.srm"});
    EXPECT_FALSE(write_file_atomically(pipe, "x", 1));
    EXPECT_TRUE(fs::is_fifo(pipe));
    alarm(0);
}

TEST(AtomicWrites, ReplaceWhatLinksEndAtKeepTheLinksAndSyncTheDirectory) {
    TempDir dir;
    fs::create_directory(dir.path("real"));
    write_bytes(dir.path("real/a"), {9});
    const std::string links[][3] = {{"relative", "real/a", "real/a"},
                                    {"chain", "relative", "real/a"},
                                    {"dangling", dir.path("real/b"), "real/b"},
                                    {"40", "39", "real/a"},  // as many links as the system follows
                                    {"41", "40", "real/a"}}; // one more: refused, 40's kept
    // "n" is a chain of n links.
    for (int n = 3; n < 40; ++n) {
        fs::create_symlink(n == 3 ? "chain" : std::to_string(n - 1), dir.path(std::to_string(n)));
    }
    const int syncs = directory_syncs;
    for (const auto &[link, target, file] : links) {
        fs::create_symlink(target, dir.path(link));
        const Bytes data{1, static_cast<std::uint8_t>(link[0])};
        ASSERT_EQ(write_file_atomically(dir.path(link), data.data(), 2), link != "41") << link;
        EXPECT_EQ(fs::read_symlink(dir.path(link)), target);
        EXPECT_EQ(read_bytes(dir.path(file)), data);
    }
    EXPECT_EQ(directory_entries(dir.path("real")).size(), 2u);
    EXPECT_EQ(directory_syncs - syncs, 4); // each rename made durable
}
#endif

// Writers of one file, crashed or at once (threads and processes), never take
// each other's temporary file.
TEST(AtomicWrites, NamesAtTheLimitSaveAndNoWriterTakesAnothersTemporary) {
    std::string accented; // 127 "é", 254 bytes in UTF-8
    for (int i = 0; i < 127; ++i) {
        accented += "\xC3\xA9";
    }
    for (const std::string &name :
         {std::string("state"), std::string(240, 'n'), std::string(255, 'n'), accented}) {
        TempDir dir;
        const std::string path = dir.path(name);
        const auto write = [&](std::uint8_t fill, int times) { // true when every write is
            const Bytes data(100000, fill);
            bool all = true;
            while (times-- > 0) {
                all = write_file_atomically(path, data.data(), data.size()) && all;
            }
            return all;
        };
#ifndef _WIN32
        const auto crash = [&] { write(1, 1); };
        EXPECT_TRUE(killed_in_the_middle(crash) && killed_in_the_middle(crash)) << name.size();
        EXPECT_EQ(directory_entries(dir.path()).size(), 1u) << name.size();
        const pid_t child = fork();
        if (child == 0) {
            _exit(write(3, 50) ? 0 : 1);
        }
#endif
        bool other = false;
        std::thread thread([&] { other = write(2, 50); });
        const bool mine = write(1, 50);
        thread.join();
        EXPECT_TRUE(mine && other) << name.size();
#ifndef _WIN32
        int status = -1;
        EXPECT_TRUE(waitpid(child, &status, 0) == child && status == 0) << name.size();
#endif
        EXPECT_EQ(directory_entries(dir.path()), Strings{name});
        const Bytes last = read_bytes(path); // one writer's, whole
        EXPECT_TRUE(last == Bytes(100000, 1) || last == Bytes(100000, 2) ||
                    last == Bytes(100000, 3));
    }
}

TEST(SaveRamPath, NamesTheGamesStemInTheSaveDirectory) {
    // clang-format off
    const std::tuple<PathStyle, const char *, const char *, const char *> cases[] = {
        {PathStyle::windows, "C:/S", "D:\\R\\Super Game (USA).sfc", "C:/S\\Super Game (USA).srm"},
        {PathStyle::windows, "C:\\S\\", "D:/R\\sub/G.eu.sfc", "C:\\S\\G.eu.srm"},
        {PathStyle::windows, "C:", "D:G.sfc:stream", "C:G.srm"}, {PathStyle::posix, "/s/", "/r/.sfc", "/s/.sfc.srm"},
        {PathStyle::posix, "/s\\", "/r/a\\b:1.sfc", "/s\\/a\\b:1.srm"}, {PathStyle::posix, "", "/r/G.sfc", ""},
    };
    // clang-format on
    for (const auto &[style, dir, rom, expected] : cases) {
        EXPECT_EQ(save_ram_path(dir, rom, style), expected) << dir << " + " << rom;
    }
}

} // namespace
} // namespace tovarune::testing
