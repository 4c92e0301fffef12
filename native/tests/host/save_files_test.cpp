// What lands on disk: directories, battery saves and save states. Nothing a
// failure touches may lose the file that was there.
#include "save_ram_path.h"
#include "test_support.h"

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
        player.set_paths(dir.path("sys/a"), saves);
        ASSERT_TRUE(player.load_core(core.path()));
    }
    void set_ram(const Bytes &bytes) { std::copy(bytes.begin(), bytes.end(), core->save_ram); }
    Bytes ram() { return Bytes(core->save_ram, core->save_ram + 4); }

    FakeCore core;
    TempDir dir;
    std::string saves = dir.path("sa\xC3\xBA"
                                 "des/b"),
                rom = dir.path("Jogo.v1.sfc");
    std::string srm = saves + "/Jogo.v1.srm";
    Player player;
};

TEST_F(SaveFiles, BatteryRamIsReadAtLoadAndWrittenOnEveryWayOut) {
    EXPECT_TRUE(fs::is_directory(path_of(dir.path("sys/a"))));
    ASSERT_TRUE(player.load_game(rom));
    EXPECT_FALSE(file_exists(srm));
    const std::function<void()> ways_out[] = {
        [&] { player.unload_game(); }, [&] { player.unload_core(); },
        [&] { player.load_core(core.path()); }, [&] { player.load_game(rom); }};
    for (std::uint8_t i = 0; i < 4; ++i) {
        set_ram({i, 2, 3, 4});
        ways_out[i]();
        EXPECT_EQ(read_bytes(srm), (Bytes{i, 2, 3, 4})) << int(i);
        EXPECT_EQ(directory_entries(saves), Strings{"Jogo.v1.srm"});
        player.unload_core();
        set_ram({9, 9, 9, 9});
        ASSERT_TRUE(player.load_core(core.path()));
        ASSERT_TRUE(player.load_game(rom));
        EXPECT_EQ(ram(), (Bytes{i, 2, 3, 4}));
    }
    // A short file fills the start; nothing is written without RAM or a directory.
    player.unload_game();
    write_bytes(srm, {7});
    ASSERT_TRUE(player.load_game(rom));
    EXPECT_EQ(ram(), (Bytes{7, 2, 3, 4}));
    core->save_ram_null = true;
    player.unload_game();
    core->save_ram_null = false;
    player.set_paths("", "");
    player.load_game(rom);
    player.unload_game();
    EXPECT_EQ(read_bytes(srm), Bytes{7});
#ifndef _WIN32
    // There but unreadable: kept rather than replaced by whatever the RAM holds.
    fs::remove(path_of(srm));
    fs::create_symlink("nowhere", path_of(srm));
    player.set_paths("", saves);
    ASSERT_TRUE(player.load_game(rom));
    player.unload_game();
    EXPECT_TRUE(fs::is_symlink(path_of(srm)));
    // Replaced whole or not at all: a write cut short leaves the old file.
    fs::remove(path_of(srm));
    write_bytes(srm, {5});
    core->save_ram_size = 64;
    ASSERT_TRUE(player.load_game(rom));
    const FileSizeLimit full_disk(32);
    player.unload_game();
    EXPECT_EQ(read_bytes(srm), Bytes{5});
    EXPECT_EQ(directory_entries(saves), Strings{"Jogo.v1.srm"});
#endif
}

TEST_F(SaveFiles, StatesHoldTheWholeBufferAndFailuresWriteNothing) {
    const std::string state = dir.path("estado \xC3\xA7.st");
    EXPECT_FALSE(player.save_state(state));
    EXPECT_FALSE(player.load_state(state));
    ASSERT_TRUE(player.load_game(rom));
    core->state[0] = 0x5A;
    core->serialize_size = 24;
    ASSERT_TRUE(player.save_state(state));
    Bytes expected(24, 0);
    expected[0] = 0x5A;
    EXPECT_EQ(read_bytes(state), expected);
    EXPECT_TRUE(player.load_state(state));
    EXPECT_EQ(core->unserialized_size, 24u);
    EXPECT_EQ(core->unserialized[0], 0x5A);
    core->unserialize_result = false;
    EXPECT_FALSE(player.load_state(state));

    write_bytes(dir.path("empty"), {});
    EXPECT_FALSE(player.load_state(dir.path("empty")));
    EXPECT_FALSE(player.load_state(dir.path("missing")));
    core->serialize_result = false;
    EXPECT_FALSE(player.save_state(dir.path("refused")));
    core->serialize_result = true;
    core->serialize_size = 0;
    EXPECT_FALSE(player.save_state(dir.path("empty state")));
    EXPECT_EQ(directory_entries(dir.path()).size(), 5u);
    EXPECT_EQ(player.last_error(), "");
}

TEST(SaveRamPath, NamesTheGamesStemInTheSaveDirectory) {
    const struct {
        PathStyle style;
        const char *dir, *rom, *expected;
    } cases[] = {
        {PathStyle::windows, "C:/S", "D:\\R\\Super Game (USA).sfc", "C:/S\\Super Game (USA).srm"},
        {PathStyle::windows, "C:/S/", "r/g.eu.smc", "C:/S/g.eu.srm"},
        {PathStyle::windows, "C:\\S\\", "D:/R\\sub/G.sfc", "C:\\S\\G.srm"},
        {PathStyle::windows, "", "G.sfc", ""},
        {PathStyle::windows, "C:", "D:G.sfc", "C:G.srm"},
        {PathStyle::windows, "C:x", "G.", "C:x\\G.srm"},
        {PathStyle::windows, "S", "D:\\R\\G.sfc:stream", "S\\G.srm"},
        {PathStyle::windows, "S", "..", "S\\...srm"},
        {PathStyle::posix, "/s", "/r/G.eu.sfc", "/s/G.eu.srm"},
        {PathStyle::posix, "/s", "", ""},
        {PathStyle::posix, "/s\\", "/r/a\\b:1.sfc", "/s\\/a\\b:1.srm"},
        {PathStyle::posix, "C:", "D:G.sfc", "C:/D:G.srm"},
        {PathStyle::posix, "/s", "/r/.sfc", "/s/.sfc.srm"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(save_ram_path(c.dir, c.rom, c.style), c.expected) << c.dir << " + " << c.rom;
    }
}

} // namespace
} // namespace tovarune::testing
