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
    const std::string state = dir.path("estado \xC3\xA7");
    core->state[0] = 0x5A;
    core->serialize_size = 24;
    ASSERT_TRUE(player.save_state(state));
    Bytes expected(24, 0);
    expected[0] = 0x5A;
    EXPECT_EQ(read_bytes(state), expected);
    EXPECT_TRUE(player.load_state(state));
    EXPECT_EQ(core->unserialized_size, 24u);
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

TEST(SaveRamPath, NamesTheGamesStemInTheSaveDirectory) {
    // clang-format off
    const std::tuple<PathStyle, const char *, const char *, const char *> cases[] = {
        {PathStyle::windows, "C:/S", "D:\\R\\Super Game (USA).sfc", "C:/S\\Super Game (USA).srm"},
        {PathStyle::windows, "C:\\S\\", "D:/R\\sub/G.eu.sfc", "C:\\S\\G.eu.srm"},
        {PathStyle::windows, "C:", "D:G.sfc:stream", "C:G.srm"},
        {PathStyle::posix, "/s/", "/r/.sfc", "/s/.sfc.srm"},
        {PathStyle::posix, "/s\\", "/r/a\\b:1.sfc", "/s\\/a\\b:1.srm"},
        {PathStyle::posix, "", "/r/G.sfc", ""},
    };
    // clang-format on
    for (const auto &[style, dir, rom, expected] : cases) {
        EXPECT_EQ(save_ram_path(dir, rom, style), expected) << dir << " + " << rom;
    }
}

} // namespace
} // namespace tovarune::testing
