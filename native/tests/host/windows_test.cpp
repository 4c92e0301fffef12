// What only one platform's loader and file system show. On Windows (under
// Wine here): wide paths outside the code page, the DLL locked while loaded,
// the backslash join of the save file, and files another handle holds open.
// On POSIX: the core's symbols stay its own and the library goes on unload.
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

#ifdef _WIN32
// Built by the standard library, not by the host's own conversion.
std::wstring wide(const std::string &utf8) { return std::filesystem::u8path(utf8).wstring(); }

TEST(Windows, LoadsAndRefusesCoresUnderWidePathsAndFreesThem) {
    TempDir dir;
    const std::string cores = dir.path("n\xC3\xBA"
                                       "cleos \xE3\x82\xB3\xE3\x82\xA2");
    ASSERT_TRUE(CreateDirectoryW(wide(cores).c_str(), nullptr));
    const auto copy_of = [&](const std::string &variant) {
        const std::string copy = cores + "/" + variant + ".dll";
        EXPECT_TRUE(CopyFileW(wide(fake_core_path(variant)).c_str(), wide(copy).c_str(), TRUE));
        return copy;
    };
    const auto deletable = [](const std::string &path) { return DeleteFileW(wide(path).c_str()); };
    Player player;
    const std::string core = copy_of("fake_core");
    ASSERT_TRUE(player.load_core(core)) << player.last_error();
    EXPECT_FALSE(deletable(core)); // Windows keeps a loaded DLL's file
    player.unload_core();
    EXPECT_TRUE(deletable(core));

    const std::string cannot_load = "Nao foi possivel carregar o core Libretro: ";
    const std::string incomplete = copy_of("fake_core_without_unserialize");
    const std::string api_2 = copy_of("fake_core_api_2");
    const struct {
        std::string path, error;
    } cases[] = {
        {cores + "\\falta\\core.dll", cannot_load + cores + "\\falta\\core.dll"},
        {cores + "/\xFF\xFE.dll", cannot_load + cores + "/\xFF\xFE.dll"}, // not UTF-8
        {incomplete, "Core invalido: faltando retro_unserialize"},
        {api_2, "Versao da API Libretro incompativel."},
    };
    for (const auto &c : cases) {
        EXPECT_FALSE(player.load_core(c.path));
        EXPECT_EQ(player.last_error(), c.error);
        EXPECT_FALSE(player.holds_library());
    }
    EXPECT_TRUE(deletable(incomplete) && deletable(api_2));
}

TEST(Windows, SaveFilesUnderWidePathsAreReplacedOnlyWhenNothingHoldsThem) {
    FakeCore core;
    TempDir dir;
    core->save_ram_size = 4;
    const std::string roms = dir.path("jogos \xC3\xA7\xC3\xA3o");
    const std::string saves = dir.path("salvos \xC3\xBC \xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x96");
    ASSERT_TRUE(CreateDirectoryW(wide(roms).c_str(), nullptr));
    write_bytes(roms + "/Aventura \xC3\xB1.sfc", {5, 6, 7});
    Player player;
    player.set_paths("", saves);
    ASSERT_TRUE(player.load_core(core.path()));
    ASSERT_TRUE(player.load_game(roms + "\\Aventura \xC3\xB1.sfc")) << player.last_error();
    EXPECT_EQ(core->game_bytes[2], 7);
    // Joined with a backslash, named by exactly the game's stem.
    const std::string srm = saves + "\\Aventura \xC3\xB1.srm", state = saves + "\\estado.st";
    const HANDLE held = CreateFileW(wide(srm).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE held_state = CreateFileW(wide(state).c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    core->save_ram[0] = 1;
    EXPECT_FALSE(player.save_state(state));
    player.unload_game();
    EXPECT_EQ(directory_entries(saves).size(), 2u); // no temporary file stays
    CloseHandle(held);
    CloseHandle(held_state);
    EXPECT_TRUE(read_bytes(srm).empty());
    EXPECT_TRUE(read_bytes(state).empty());

    ASSERT_TRUE(player.load_game(roms + "\\Aventura \xC3\xB1.sfc"));
    core->save_ram[0] = 2;
    EXPECT_TRUE(player.save_state(state));
    player.unload_game();
    EXPECT_EQ(read_bytes(srm), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(read_bytes(state).size(), 16u);
}
#else
TEST(Posix, CoreSymbolsStayLocalAndTheLibraryGoesOnUnload) {
    const std::string core = fake_core_path();
    Player player;
    ASSERT_TRUE(player.load_core(core)) << player.last_error();
    // Its exports must not satisfy the engine's lookups or a second core's.
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "retro_init"), nullptr);
    player.unload_core();
    void *still_loaded = dlopen(core.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still_loaded, nullptr);
    if (still_loaded != nullptr) {
        dlclose(still_loaded);
    }
}
#endif

} // namespace
} // namespace tovarune::testing
