// Absolute Windows drive paths reach the file system in their extended form,
// as the engine opens its own files; everything else goes as given. Under Wine
// the form is used for real: deep directories, and a core's own DLLs.

#include "file_io.h"
#include "native_path.h"
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

TEST(WindowsPaths, RomSaveRamAndStateLiveInADirectoryDeeperThan300Characters) {
    TempDir dir;
    std::string deep = dir.path();
    while (deep.size() < 320) {
        deep += "/pasta \xC3\xA7 " + std::string(40, 'x');
    }
    FakeCore core;
    core->save_ram_size = 4;
    Player player;
    player.set_paths("", deep);
    write_bytes(deep + "/Game.sfc", {5, 6});
    ASSERT_TRUE(player.load_core(core.path()));
    ASSERT_TRUE(player.load_game(deep + "/Game.sfc")) << player.last_error();
    core->save_ram[0] = 3;
    EXPECT_TRUE(player.save_state(deep + "/./slot.state"));
    player.unload_game();
    EXPECT_EQ(read_bytes(deep + "\\Game.srm"), (std::vector<std::uint8_t>{3, 0, 0, 0}));
    core->save_ram[0] = 0;
    ASSERT_TRUE(player.load_game(deep + "/../" + deep.substr(deep.rfind('/') + 1) + "/Game.sfc"));
    EXPECT_EQ(core->save_ram[0], 3);
    EXPECT_TRUE(player.load_state(deep + "\\slot.state"));
    EXPECT_EQ(core->unserialized_size, 16u);
}

TEST(WindowsPaths, ACoreLoadsWithTheDllsBesideItAndFailsWithoutThem) {
    TempDir dir;
    const std::string cores = dir.path("n\xC3\xBA"
                                       "cleos \xE3\x82\xB3\xE3\x82\xA2");
    const std::string core = cores + "/core.dll", helper = cores + "/fake_core_helper.dll";
    ASSERT_TRUE(create_directories(cores));
    CopyFileW(path_of(fake_core_path("fake_core_with_helper")).c_str(), path_of(core).c_str(), 1);
    Player player;
    EXPECT_FALSE(player.load_core(core));
    EXPECT_EQ(player.last_error(), "Nao foi possivel carregar o core Libretro: " + core);
    CopyFileW(path_of(fake_core_path("helper/fake_core_helper")).c_str(), path_of(helper).c_str(),
              1);
    EXPECT_TRUE(player.load_core(core)) << player.last_error();
}

#endif

} // namespace
} // namespace tovarune::testing
