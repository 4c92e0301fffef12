#include "file_io.h"
#include "save_ram_path.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

bool is_directory(const std::string &path) {
    std::error_code ec;
    return std::filesystem::is_directory(path_of(path), ec);
}

TEST(SetPaths, StoresTheTextsAndCreatesBothDirectoriesWithParents) {
    TempDir dir;
    Player player;
    // "s\xC3\xADstema" is "sistema" with an accented i.
    const std::string system = dir.path("a/b/s\xC3\xADstema/"), save = dir.path("a/saves");
    player.set_paths(system, save);
    EXPECT_STREQ(player.system_directory(), system.c_str());
    EXPECT_STREQ(player.save_directory(), save.c_str());
    EXPECT_TRUE(is_directory(system));
    EXPECT_EQ(directory_entries(dir.path("a/b")), (Strings{"s\xC3\xADstema"}));
    write_bytes(save + "/keep", {1});

    // Created again on every call, even for texts that did not change.
    std::filesystem::remove_all(path_of(dir.path("a/b")));
    player.set_paths(system, save);
    EXPECT_TRUE(is_directory(system));
    EXPECT_EQ(read_bytes(save + "/keep"), Bytes{1});

    player.set_paths(save, save);
    EXPECT_TRUE(is_directory(save));
    player.set_paths("", "");
    EXPECT_EQ(player.system_directory(), nullptr);
    EXPECT_EQ(player.save_directory(), nullptr);
}

TEST(SetPaths, AFailedDirectoryKeepsItsTextAndTheOtherIsStillMade) {
    TempDir dir;
    Player player;
    EXPECT_FALSE(player.load_game(dir.path("rom")));
    const std::string error = player.last_error();
    write_bytes(dir.path("file"), {});
    player.set_paths(dir.path("file/sys"), dir.path("save"));
    EXPECT_STREQ(player.system_directory(), dir.path("file/sys").c_str());
    EXPECT_TRUE(is_directory(dir.path("save")));
    player.set_paths(dir.path("sys"), dir.path("file"));
    EXPECT_TRUE(is_directory(dir.path("sys")));
    EXPECT_EQ(player.last_error(), error);
}

TEST(FileIo, AtomicWriteReplacesTheWholeFileAndLeavesNothingElse) {
    TempDir dir;
    // "\xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x96" is katakana "save".
    const std::string name = "\xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x96.bin", path = dir.path(name);
    const Bytes data{1, 2, 3, 4, 5};
    ASSERT_TRUE(write_file_atomically(path, data.data(), data.size()));
    EXPECT_EQ(read_bytes(path), data);
    ASSERT_TRUE(write_file_atomically(path, data.data(), 2));
    EXPECT_EQ(read_bytes(path), (Bytes{1, 2}));
    ASSERT_TRUE(write_file_atomically(path, data.data(), 0));
    EXPECT_TRUE(file_exists(path));
    EXPECT_TRUE(read_bytes(path).empty());
    EXPECT_EQ(directory_entries(dir.path()), Strings{name});
}

TEST(FileIo, FailedAtomicWritesKeepTheOldTargetAndRemoveTheirTemporary) {
    TempDir dir;
    const Bytes data{7, 7, 7};
    EXPECT_FALSE(write_file_atomically(dir.path("missing/file"), data.data(), data.size()));
    EXPECT_FALSE(write_file_atomically("", data.data(), data.size()));
    // A directory in the way of the rename.
    ASSERT_TRUE(create_directories(dir.path("target")));
    write_bytes(dir.path("target/inside"), {9});
    EXPECT_FALSE(write_file_atomically(dir.path("target"), data.data(), data.size()));
    EXPECT_EQ(read_bytes(dir.path("target/inside")), Bytes{9});
    EXPECT_EQ(directory_entries(dir.path()), Strings{"target"});
}

#ifndef _WIN32
TEST(FileIo, AWriteThatFailsPartWayKeepsTheOldFile) {
    TempDir dir;
    write_bytes(dir.path("f"), {1, 2});
    const Bytes data(2000, 0x55);
    EXPECT_FALSE(with_file_size_limit(
        1024, [&] { return write_file_atomically(dir.path("f"), data.data(), data.size()); }));
    EXPECT_EQ(read_bytes(dir.path("f")), (Bytes{1, 2}));
    EXPECT_EQ(directory_entries(dir.path()), Strings{"f"});
}
#endif

TEST(FileIo, ReadsTellMissingFromUnreadable) {
    TempDir dir;
    write_bytes(dir.path("f"), {1, 2, 3});
    write_bytes(dir.path("empty"), {});
    ByteBuffer bytes;
    ASSERT_EQ(read_file(dir.path("f"), bytes), ReadResult::ok);
    EXPECT_EQ(Bytes(bytes.data(), bytes.data() + bytes.size()), (Bytes{1, 2, 3}));
    EXPECT_EQ(read_file(dir.path("empty"), bytes), ReadResult::ok);
    EXPECT_TRUE(bytes.empty());
    for (const std::string &missing : {dir.path("none"), dir.path("none/f"), std::string()}) {
        EXPECT_EQ(read_file(missing, bytes), ReadResult::not_found) << missing;
    }
    const ReadResult directory = read_file(dir.path(), bytes);
    EXPECT_TRUE(directory == ReadResult::open_failed || directory == ReadResult::read_failed);
    EXPECT_TRUE(bytes.empty());

    // Reading into a buffer fills at most its size and leaves the rest.
    std::uint8_t buffer[5] = {9, 9, 9, 9, 9};
    EXPECT_EQ(read_file_into(dir.path("f"), buffer, 5), ReadResult::ok);
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{1, 2, 3, 9, 9}));
    std::fill(buffer, buffer + 5, 9);
    EXPECT_EQ(read_file_into(dir.path("f"), buffer, 2), ReadResult::ok);
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{1, 2, 9, 9, 9}));
    EXPECT_EQ(read_file_into(dir.path("none"), buffer, 5), ReadResult::not_found);
    EXPECT_NE(read_file_into(dir.path(), buffer, 5), ReadResult::ok);
}

TEST(FileIo, CreateDirectoriesMakesParentsAndRefusesFiles) {
    TempDir dir;
    EXPECT_TRUE(create_directories(dir.path("x/y/z")));
    EXPECT_TRUE(create_directories(dir.path("x/y/z")));
    EXPECT_TRUE(is_directory(dir.path("x/y/z")));
    write_bytes(dir.path("f"), {});
    EXPECT_FALSE(create_directories(dir.path("f")));
    EXPECT_FALSE(create_directories(dir.path("f/sub")));
    EXPECT_FALSE(create_directories(""));
}

struct SaveRamPathCase {
    const char *save_dir;
    const char *rom;
    const char *expected;
};

TEST(SaveRamPath, WindowsRules) {
    const SaveRamPathCase cases[] = {
        {"C:/Saves", "D:\\Roms\\Super Game (USA).sfc", "C:/Saves\\Super Game (USA).srm"},
        {"C:/Saves/", "roms/game.eu.smc", "C:/Saves/game.eu.srm"},
        {"C:\\Saves\\", "D:/Roms\\sub/Game.sfc", "C:\\Saves\\Game.srm"},
        {"", "D:\\Roms\\Game.sfc", ""},
        {"C:\\S", "", ""},
        {"C:", "D:Game.sfc", "C:Game.srm"},
        {"c:", "Game", "c:Game.srm"},
        {"C:x", "Game.", "C:x\\Game.srm"},
        {"S", ".sfc", "S\\.sfc.srm"},
        {"S", "D:\\Roms\\", "S\\.srm"},
        {"S", "D:\\Roms\\Game.sfc:stream", "S\\Game.srm"},
        {"S", "Game:x:y.sfc", "S\\Game.srm"},
        {"S", "R\\.", "S\\..srm"},
        {"S", "..", "S\\...srm"},
    };
    for (const SaveRamPathCase &c : cases) {
        EXPECT_EQ(save_ram_path(c.save_dir, c.rom, PathStyle::windows), c.expected)
            << c.save_dir << " + " << c.rom;
    }
}

TEST(SaveRamPath, PosixRules) {
    const SaveRamPathCase cases[] = {
        {"/saves", "/roms/Game.eu.sfc", "/saves/Game.eu.srm"},
        {"/saves/", "roms/game.smc", "/saves/game.srm"},
        {"", "/roms/Game.sfc", ""},
        {"/s", "", ""},
        {"/s", "/r/a\\b.sfc", "/s/a\\b.srm"},
        {"/s\\", "x.sfc", "/s\\/x.srm"},
        {"/s", "/r/Game:1.sfc", "/s/Game:1.srm"},
        {"C:", "D:Game.sfc", "C:/D:Game.srm"},
        {"/s", "/r/", "/s/.srm"},
        {"/s", "/r/.sfc", "/s/.sfc.srm"},
        {"/s", "/r/Game.", "/s/Game.srm"},
        {"/s", "/r/.", "/s/..srm"},
        {"/s\xC3\xA0ves", "/r/\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0.sfc",
         "/s\xC3\xA0ves/\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0.srm"},
    };
    for (const SaveRamPathCase &c : cases) {
        EXPECT_EQ(save_ram_path(c.save_dir, c.rom, PathStyle::posix), c.expected)
            << c.save_dir << " + " << c.rom;
    }
}

} // namespace
} // namespace tovarune::testing
