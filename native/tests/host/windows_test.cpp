// Absolute Windows drive paths reach the file system in their extended form,
// as the engine opens its own files; everything else goes as given. Under Wine:
// a core's own DLLs, deep directories and a save file another program holds.
#include "content/native_path.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovarune::testing {
namespace {

TEST(WindowsPaths, AbsoluteDrivePathsTakeTheExtendedFormAndOthersStayAsGiven) {
    const struct {
        const char *path, *extended; // null: unchanged
    } cases[] = {
        {"C:\\Roms\\Game.sfc", "\\\\?\\C:\\Roms\\Game.sfc"},
        {"d:/Roms//jogos \xC3\xA7\xC3\xA3o/", "\\\\?\\d:\\Roms\\jogos \xC3\xA7\xC3\xA3o\\"},
        {"C:/a/./b/../../c/Game.sfc", "\\\\?\\C:\\c\\Game.sfc"},
        {"C:\\..\\..", "\\\\?\\C:\\"},
        {"C:\\dir.\\Game. .", "\\\\?\\C:\\dir\\Game"},
        {"C:\\...\\x..", "\\\\?\\C:\\...\\x"},
        {"\\\\server\\share\\..\\Game.sfc", nullptr},
        {"\\\\?\\C:\\a\\..\\b", nullptr},
        {"roms/../Game.sfc", nullptr},
        {"C:Game.sfc", nullptr},
        {"\\Roms\\Game.sfc", nullptr},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(windows_extended_path(c.path), c.extended ? c.extended : c.path) << c.path;
    }
}

#ifdef _WIN32
// Built by the standard library, not by the host's own conversion.
std::wstring wide(const std::string &utf8) { return std::filesystem::u8path(utf8).wstring(); }

TEST(Windows, ACoreLoadsWithTheDllsBesideItOnly) {
    TempDir dir;
    const std::string cores = dir.path("n\xC3\xBA"
                                       "cleos \xE3\x82\xB3\xE3\x82\xA2"),
                      core = cores + "/core.dll";
    ASSERT_TRUE(CreateDirectoryW(wide(cores).c_str(), nullptr));
    ASSERT_TRUE(
        CopyFileW(wide(fake_core_path("fake_core_with_helper")).c_str(), wide(core).c_str(), TRUE));
    Player player;
    EXPECT_FALSE(player.load_core(core));
    EXPECT_EQ(player.last_error(), "Nao foi possivel carregar o core Libretro: " + core);
    ASSERT_TRUE(CopyFileW(wide(fake_core_path("helper/fake_core_helper")).c_str(),
                          wide(cores + "/fake_core_helper.dll").c_str(), TRUE));
    ASSERT_TRUE(player.load_core(core)) << player.last_error();
    // A second player runs a copy of its own, which finds the DLL beside the
    // original; the copy goes once it is unloaded.
    Player second;
    ASSERT_TRUE(second.load_core(core)) << second.last_error();
    fake_core_of(player).serialize_size = 99;
    EXPECT_EQ(fake_core_of(second).serialize_size, 16u);
    second.unload_core();
    const std::string prefix = std::to_string(GetCurrentProcessId()) + "-";
    for (const std::string &name :
         directory_entries(utf8_of(std::filesystem::temp_directory_path() / "tovarune-cores"))) {
        EXPECT_NE(name.rfind(prefix, 0), 0u) << name;
    }
}

TEST(Windows, SavesLiveDeeperThan300CharactersAndAFileHeldOpenIsKept) {
    TempDir dir;
    std::string deep = dir.path();
    while (deep.size() < 320) {
        deep += "/pasta \xC3\xA7 " + std::string(40, 'x');
    }
    FakeCore core;
    core->save_ram_size = 4;
    Player player;
    player.set_paths("", deep);
    write_bytes(deep + "/Game.sfc", {5});
    ASSERT_TRUE(player.load_core(core.path()));
    // Named from a backslashed game path, joined with a backslash.
    const std::string rom = deep + "\\Game.sfc", srm = deep + "\\Game.srm";
    ASSERT_TRUE(player.load_game(rom)) << player.last_error();
    const HANDLE held = CreateFileW(wide(srm).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    core->save_ram[0] = 3;
    EXPECT_TRUE(player.save_state(deep + "/./slot.state"));
    player.unload_game();
    CloseHandle(held);
    EXPECT_TRUE(read_bytes(srm).empty());
    EXPECT_EQ(directory_entries(deep).size(), 3u); // the game, its .srm and the state
    ASSERT_TRUE(player.load_game(deep + "/../" + deep.substr(deep.rfind('/') + 1) + "/Game.sfc"));
    player.unload_game();
    EXPECT_EQ(read_bytes(srm), (std::vector<std::uint8_t>{3, 0, 0, 0}));
    core->save_ram[0] = 0;
    ASSERT_TRUE(player.load_game(rom));
    EXPECT_EQ(core->save_ram[0], 3);
    EXPECT_TRUE(player.load_state(deep + "\\slot.state"));
}
#endif

} // namespace
} // namespace tovarune::testing
