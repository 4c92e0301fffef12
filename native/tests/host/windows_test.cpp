// What only Windows shows (under Wine here): a core under a wide path stays
// locked while loaded, and a save file that another program holds open is
// kept, with no temporary file left.
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovarune::testing {
namespace {

#ifdef _WIN32
// Built by the standard library, not by the host's own conversion.
std::wstring wide(const std::string &utf8) { return std::filesystem::u8path(utf8).wstring(); }

TEST(Windows, ACoreUnderAWidePathIsLockedUntilUnloaded) {
    TempDir dir;
    const std::string cores = dir.path("n\xC3\xBA"
                                       "cleos \xE3\x82\xB3\xE3\x82\xA2"),
                      core = cores + "/c.dll";
    ASSERT_TRUE(CreateDirectoryW(wide(cores).c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(wide(fake_core_path()).c_str(), wide(core).c_str(), TRUE));
    Player player;
    ASSERT_TRUE(player.load_core(core)) << player.last_error();
    EXPECT_FALSE(DeleteFileW(wide(core).c_str()));
    EXPECT_FALSE(player.load_core(cores + "/\xFF.dll")); // not UTF-8
    EXPECT_EQ(player.last_error(),
              "Nao foi possivel carregar o core Libretro: " + cores + "/\xFF.dll");
    EXPECT_TRUE(DeleteFileW(wide(core).c_str()));
}

TEST(Windows, ASaveFileHeldOpenIsKept) {
    FakeCore core;
    TempDir dir;
    core->save_ram_size = 4;
    const std::string saves = dir.path("salvos \xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x96");
    const std::string rom = dir.path("Aventura \xC3\xB1.sfc"),
                      srm = saves + "\\Aventura \xC3\xB1.srm";
    write_bytes(rom, {5});
    Player player;
    player.set_paths("", saves);
    ASSERT_TRUE(player.load_core(core.path()));
    // Named from a backslashed game path, joined with a backslash.
    const std::string backslashed = dir.path("") + "\\Aventura \xC3\xB1.sfc";
    ASSERT_TRUE(player.load_game(backslashed)) << player.last_error();
    const HANDLE held = CreateFileW(wide(srm).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    core->save_ram[0] = 1;
    player.unload_game();
    CloseHandle(held);
    EXPECT_TRUE(read_bytes(srm).empty());
    EXPECT_EQ(directory_entries(saves).size(), 1u);
    ASSERT_TRUE(player.load_game(backslashed));
    player.unload_game();
    EXPECT_EQ(read_bytes(srm), (std::vector<std::uint8_t>{1, 0, 0, 0}));
}
#endif

} // namespace
} // namespace tovarune::testing
