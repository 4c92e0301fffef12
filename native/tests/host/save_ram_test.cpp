#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

Bytes pattern(std::size_t size, std::uint8_t first) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i);
    }
    return bytes;
}

// The fake core's knobs, for hooks that cannot capture.
FakeCoreControl *fake;

class SaveRam : public ::testing::Test {
protected:
    void SetUp() override {
        fake = &core.control();
        core->save_ram_size = 64;
        set_ram(Bytes(64, 0x11));
        write_bytes(rom(), {1, 2, 3});
        player.set_paths(dir.path("sys"), saves());
        ASSERT_TRUE(player.load_core(core.path()));
    }

    std::string rom(const std::string &name = "Game.sfc") { return dir.path(name); }
    std::string saves(const std::string &name = "") {
        return dir.path("saves") + (name.empty() ? "" : "/" + name);
    }
    std::string srm() { return saves("Game.srm"); }
    Bytes ram() const { return Bytes(core_ram(), core_ram() + 64); }
    void set_ram(const Bytes &bytes) { std::memcpy(core->save_ram, bytes.data(), bytes.size()); }
    static std::uint8_t *core_ram() { return fake->save_ram; }

    FakeCore core;
    TempDir dir;
    Player player;
};

TEST_F(SaveRam, FirstRunStartsFromTheCoresRamAndWritesItOnlyAtUnload) {
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(ram(), Bytes(64, 0x11));
    set_ram(pattern(64, 1));
    player.run_frame();
    player.reset_game();
    EXPECT_TRUE(player.save_state(dir.path("state")));
    EXPECT_TRUE(player.load_state(dir.path("state")));
    EXPECT_FALSE(file_exists(srm()));
    player.unload_game();
    EXPECT_EQ(read_bytes(srm()), pattern(64, 1));
    EXPECT_EQ(directory_entries(saves()), Strings{"Game.srm"});
}

std::string watched;
Bytes file_seen;

TEST_F(SaveRam, ReadAfterTheCoreLoadsTheGameWrittenBeforeItUnloads) {
    write_bytes(srm(), pattern(64, 100));
    watched = srm();
    core->hook = [](const char *entry) {
        const std::string name = entry;
        if (name == "retro_load_game") {
            std::memset(core_ram(), 0xEE, 64); // the core initialises its RAM
        } else if (name == "retro_unload_game") {
            file_seen = read_bytes(watched);
            std::memset(core_ram(), 0xDD, 64);
        }
    };
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(ram(), pattern(64, 100));
    set_ram(pattern(64, 7));
    player.unload_game();
    core->hook = nullptr;
    EXPECT_EQ(file_seen, pattern(64, 7));
    EXPECT_EQ(read_bytes(srm()), pattern(64, 7));
}

TEST_F(SaveRam, EveryWayOutOfARunningGameWritesOnce) {
    write_bytes(rom("Other.sfc"), {4});
    using Exit = std::function<void(std::unique_ptr<Player> &)>;
    const std::vector<std::pair<std::string, Exit>> exits{
        {"unload_game", [](auto &p) { p->unload_game(); }},
        {"load_game", [&](auto &p) { ASSERT_TRUE(p->load_game(rom("Other.sfc"))); }},
        {"unload_core", [](auto &p) { p->unload_core(); }},
        {"load_core", [&](auto &p) { ASSERT_TRUE(p->load_core(core.path())); }},
        {"destruction", [](auto &p) { p.reset(); }},
    };
    player.unload_core();
    for (const auto &[name, exit] : exits) {
        auto p = std::make_unique<Player>();
        p->set_paths("", saves());
        ASSERT_TRUE(p->load_core(core.path()));
        ASSERT_TRUE(p->load_game(rom()));
        set_ram(pattern(64, 50));
        exit(p);
        EXPECT_EQ(read_bytes(srm()), pattern(64, 50)) << name;
        std::filesystem::remove(path_of(srm()));
        if (p) {
            p->unload_game();
            p->unload_core();
        }
        p.reset();
        EXPECT_FALSE(file_exists(srm())) << name;
    }
}

TEST_F(SaveRam, OldGamesFileIsWrittenBeforeTheNextRomIsOpened) {
    write_bytes(rom("Other.sfc"), {4});
    ASSERT_TRUE(player.load_game(rom()));
    set_ram(pattern(64, 60));
    watched = srm();
    core->hook = [](const char *entry) {
        if (std::string(entry) == "retro_get_system_info") {
            file_seen = read_bytes(watched);
        }
    };
    ASSERT_TRUE(player.load_game(rom("Other.sfc")));
    core->hook = nullptr;
    EXPECT_EQ(file_seen, pattern(64, 60));
}

TEST_F(SaveRam, NoFileWithoutASaveDirectoryOrSaveRam) {
    player.unload_core(); // one player per core library
    Player never_set;
    ASSERT_TRUE(never_set.load_core(core.path()));
    ASSERT_TRUE(never_set.load_game(rom()));
    never_set.unload_core();
    player.set_paths(dir.path("sys"), "");
    ASSERT_TRUE(player.load_core(core.path()));
    ASSERT_TRUE(player.load_game(rom()));
    player.unload_game();
    EXPECT_TRUE(directory_entries(saves()).empty());
    EXPECT_FALSE(file_exists("Game.srm"));

    // A core without save RAM neither reads nor writes an existing file.
    player.set_paths(dir.path("sys"), saves());
    write_bytes(srm(), pattern(64, 9));
    for (const bool null_data : {true, false}) {
        core->save_ram_null = null_data;
        core->save_ram_size = null_data ? 64 : 0;
        ASSERT_TRUE(player.load_game(rom()));
        EXPECT_EQ(ram(), Bytes(64, 0x11));
        player.unload_game();
        EXPECT_EQ(read_bytes(srm()), pattern(64, 9));
    }
    std::filesystem::remove(path_of(srm()));
    ASSERT_TRUE(player.load_game(rom()));
    player.unload_game();
    EXPECT_FALSE(file_exists(srm()));
}

TEST_F(SaveRam, ShortFilesFillThePrefixLongFilesAreCutAtUnload) {
    write_bytes(srm(), pattern(8, 200));
    ASSERT_TRUE(player.load_game(rom()));
    Bytes expected(64, 0x11);
    std::copy_n(pattern(8, 200).begin(), 8, expected.begin());
    EXPECT_EQ(ram(), expected);
    player.unload_game();
    EXPECT_EQ(read_bytes(srm()), expected);

    write_bytes(srm(), pattern(100, 0));
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(ram(), pattern(64, 0));
    player.unload_game();
    EXPECT_EQ(read_bytes(srm()), pattern(64, 0));
}

TEST_F(SaveRam, AFileThatCouldNotBeReadAtLoadIsKept) {
    namespace fs = std::filesystem;
    fs::create_directories(path_of(srm()));
    write_bytes(srm() + "/inside", {5});
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(player.last_error(), "");
    EXPECT_EQ(ram(), Bytes(64, 0x11));
    player.unload_game();
    EXPECT_EQ(read_bytes(srm() + "/inside"), Bytes{5});
    EXPECT_EQ(directory_entries(saves()), Strings{"Game.srm"});
#ifndef _WIN32
    // A link to nowhere is there but cannot be opened; a write would replace it.
    fs::remove_all(path_of(srm()));
    fs::create_symlink("nowhere/Game.srm", path_of(srm()));
    ASSERT_TRUE(player.load_game(rom()));
    player.unload_game();
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path_of(srm()))));
#endif
    // Readable again: read and written as usual.
    fs::remove_all(path_of(srm()));
    write_bytes(srm(), pattern(64, 30));
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(ram(), pattern(64, 30));
    set_ram(pattern(64, 31));
    player.unload_game();
    EXPECT_EQ(read_bytes(srm()), pattern(64, 31));
}

TEST_F(SaveRam, TheWriteFollowsTheSaveDirectoryOfTheMomentAndNeverCreatesIt) {
    write_bytes(srm(), pattern(64, 40));
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(ram(), pattern(64, 40));
    player.set_paths(dir.path("sys"), dir.path("moved"));
    set_ram(pattern(64, 41));
    player.unload_game();
    EXPECT_EQ(read_bytes(dir.path("moved/Game.srm")), pattern(64, 41));
    EXPECT_EQ(read_bytes(srm()), pattern(64, 40));

    ASSERT_TRUE(player.load_game(rom()));
    std::filesystem::remove_all(path_of(dir.path("moved")));
    player.unload_game();
    EXPECT_FALSE(file_exists(dir.path("moved")));
}

TEST_F(SaveRam, NonAsciiDirectoriesAndNamesReachTheFileSystemUnchanged) {
    // "saves" with an accented a, then katakana "save"; the game's name is
    // katakana "game", a blank and an accented e.
    const std::string save_dir = dir.path("s\xC3\xA0ves/\xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x96");
    const std::string stem = "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0 \xC3\xA9.eu";
    write_bytes(rom(stem + ".sfc"), {1});
    player.set_paths("", save_dir);
    ASSERT_TRUE(player.load_game(rom(stem + ".sfc")));
    set_ram(pattern(64, 80));
    player.unload_game();
    EXPECT_EQ(directory_entries(save_dir), Strings{stem + ".srm"});
    set_ram(Bytes(64, 0));
    ASSERT_TRUE(player.load_game(rom(stem + ".sfc")));
    EXPECT_EQ(ram(), pattern(64, 80));
}

} // namespace
} // namespace tovarune::testing
