// What only one platform's loader and file system can show: on Windows the
// wide paths, the DLL kept locked while loaded, the backslash join of the .srm
// path and replacing a file that another handle holds; on POSIX what dlopen
// does with a core. Under Wine these run as they would on Windows.

#include "save_ram_path.h"
#include "test_support.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

#ifdef _WIN32

namespace fs = std::filesystem;

// Built from UTF-8 by the standard library, not by the host's own conversion.
std::wstring wide(const std::string &utf8) { return fs::u8path(utf8).wstring(); }

// Names outside code page 1252 (katakana) and inside it (accented letters):
// a narrow path read in the process code page gets both wrong. They read
// "núcleos コア", "jogos ção", "salvos ü セーブ" and "Aventura ñ".
const std::string cores_name = "n\xC3\xBA"
                               "cleos \xE3\x82\xB3\xE3\x82\xA2";
const std::string roms_name = "jogos \xC3\xA7\xC3\xA3o";
const std::string saves_name = "salvos \xC3\xBC \xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x96";
const std::string game_stem = "Aventura \xC3\xB1";

// The entries of a directory as Windows itself lists them, in UTF-8.
Strings listed_by_windows(const std::string &dir) {
    Strings names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((wide(dir) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(utf8_of(fs::path(name)));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// Opens a file the way another program would, without letting it be replaced.
class HeldOpen {
public:
    explicit HeldOpen(const std::string &path)
        : handle_(CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << path;
    }
    ~HeldOpen() { CloseHandle(handle_); }
    HeldOpen(const HeldOpen &) = delete;
    HeldOpen &operator=(const HeldOpen &) = delete;

private:
    HANDLE handle_;
};

class WindowsLoader : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateDirectoryW(wide(cores_dir()).c_str(), nullptr)); }
    std::string cores_dir() const { return dir.path(cores_name); }
    // A copy of a fake core build in the non-ASCII directory, so that it can
    // be deleted and nothing else holds it loaded.
    std::string copy_of(const std::string &variant) {
        const std::string copy = cores_dir() + "/" + variant + ".dll";
        EXPECT_TRUE(CopyFileW(wide(fake_core_path(variant)).c_str(), wide(copy).c_str(), TRUE));
        return copy;
    }
    static bool deletable(const std::string &path) { return DeleteFileW(wide(path).c_str()); }

    TempDir dir;
    Player player;
};

TEST_F(WindowsLoader, LoadsFromANonAsciiDirectoryAndFreesTheDllOnUnload) {
    const std::string core = copy_of("fake_core");
    ASSERT_TRUE(player.load_core(core)) << player.last_error();
    EXPECT_TRUE(player.is_core_loaded());
    // Windows keeps a loaded DLL's file from being deleted.
    EXPECT_FALSE(deletable(core));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    player.unload_core();
    EXPECT_TRUE(deletable(core));
}

TEST_F(WindowsLoader, FailuresKeepThePathAsGivenAndFreeWhatWasLoaded) {
    const std::string prefix = "Nao foi possivel carregar o core Libretro: ";
    for (const std::string &path : {cores_dir() + "/nenhum.dll",
                                    // No such directory, in the other separator.
                                    cores_dir() + "\\falta\\core.dll",
                                    // Not UTF-8: nothing may be loaded, nothing thrown.
                                    cores_dir() + "/\xFF\xFE.dll"}) {
        EXPECT_FALSE(player.load_core(path));
        EXPECT_EQ(player.last_error(), prefix + path);
        EXPECT_FALSE(player.holds_library());
    }

    const std::string not_a_dll = cores_dir() + "/texto.dll";
    write_bytes(not_a_dll, {'M', 'Z', 'n', 'o'});
    EXPECT_FALSE(player.load_core(not_a_dll));
    EXPECT_EQ(player.last_error(), prefix + not_a_dll);

    const std::string incomplete = copy_of("fake_core_without_unserialize");
    EXPECT_FALSE(player.load_core(incomplete));
    EXPECT_EQ(player.last_error(), "Core invalido: faltando retro_unserialize");
    EXPECT_TRUE(deletable(incomplete));

    const std::string api_2 = copy_of("fake_core_api_2");
    EXPECT_FALSE(player.load_core(api_2));
    EXPECT_EQ(player.last_error(), "Versao da API Libretro incompativel.");
    EXPECT_TRUE(deletable(api_2));
    EXPECT_FALSE(player.holds_library());
}

TEST(WindowsSaveRamPath, JoinsWithABackslashUnlessTheDirectoryEndsInASeparatorOrIsADrive) {
    // The platform's own rules, without naming a style.
    EXPECT_EQ(save_ram_path("C:/Saves", "D:\\Roms\\Super Game (USA).sfc"),
              "C:/Saves\\Super Game (USA).srm");
    EXPECT_EQ(save_ram_path("C:/Saves/", "roms/game.eu.smc"), "C:/Saves/game.eu.srm");
    EXPECT_EQ(save_ram_path("C:\\Saves\\", "game.sfc"), "C:\\Saves\\game.srm");
    EXPECT_EQ(save_ram_path("C:", "D:game.sfc"), "C:game.srm");
    EXPECT_EQ(save_ram_path("C:x", "D:\\game.sfc"), "C:x\\game.srm");
}

class WindowsSaveFiles : public ::testing::Test {
protected:
    void SetUp() override {
        core->save_ram_size = 4;
        ASSERT_TRUE(CreateDirectoryW(wide(dir.path(roms_name)).c_str(), nullptr));
        write_bytes(rom(), {5, 6, 7});
        player.set_paths("", saves());
        ASSERT_TRUE(player.load_core(core.path()));
    }
    std::string rom() const { return dir.path(roms_name) + "/" + game_stem + ".sfc"; }
    std::string saves() const { return dir.path(saves_name); }
    void set_ram(const Bytes &bytes) { std::copy(bytes.begin(), bytes.end(), core->save_ram); }
    Bytes ram() { return Bytes(core->save_ram, core->save_ram + 4); }

    FakeCore core;
    TempDir dir;
    Player player;
};

TEST_F(WindowsSaveFiles, NonAsciiRomAndSaveDirectoryGiveTheSrmBesideABackslash) {
    ASSERT_TRUE(player.load_game(rom())) << player.last_error();
    EXPECT_EQ(core->game_size, 3u);
    EXPECT_EQ(core->game_bytes[0], 5);
    set_ram({1, 2, 3, 4});
    player.unload_game();
    // Written through the backslash join, named by exactly the ROM's stem.
    EXPECT_EQ(listed_by_windows(saves()), Strings{game_stem + ".srm"});
    EXPECT_EQ(read_bytes(saves() + "\\" + game_stem + ".srm"), (Bytes{1, 2, 3, 4}));

    set_ram({0, 0, 0, 0});
    ASSERT_TRUE(player.load_game(rom()));
    EXPECT_EQ(ram(), (Bytes{1, 2, 3, 4}));
}

TEST_F(WindowsSaveFiles, ReplacesExistingFilesButKeepsThemWhileAnotherHandleHoldsThem) {
    const std::string srm = saves() + "/" + game_stem + ".srm";
    const std::string state = saves() + "/estado \xC3\xA7.state"; // "estado ç"
    write_bytes(srm, {9, 9, 9, 9});
    write_bytes(state, {8, 8});
    ASSERT_TRUE(player.load_game(rom()));
    set_ram({1, 1, 1, 1});
    core->state[0] = 0x5a;
    {
        HeldOpen srm_held(srm);
        HeldOpen state_held(state);
        EXPECT_FALSE(player.save_state(state));
        player.unload_game();
        EXPECT_EQ(read_bytes(srm), (Bytes{9, 9, 9, 9}));
        EXPECT_EQ(read_bytes(state), (Bytes{8, 8}));
        // No temporary file stays behind.
        EXPECT_EQ(listed_by_windows(saves()).size(), 2u);
    }
    ASSERT_TRUE(player.load_game(rom()));
    set_ram({2, 2, 2, 2});
    EXPECT_TRUE(player.save_state(state));
    player.unload_game();
    EXPECT_EQ(read_bytes(srm), (Bytes{2, 2, 2, 2}));
    Bytes expected_state(16, 0);
    expected_state[0] = 0x5a;
    EXPECT_EQ(read_bytes(state), expected_state);
    EXPECT_EQ(listed_by_windows(saves()).size(), 2u);
}

#else

TEST(WindowsOnly, Skipped) { GTEST_SKIP() << "Windows loader and file system"; }

#endif

#ifndef _WIN32

TEST(PosixLoader, CoreSymbolsStayLocalAndTheLibraryIsClosedOnUnload) {
    const std::string core = fake_core_path();
    Player player;
    ASSERT_TRUE(player.load_core(core)) << player.last_error();
    // RTLD_LOCAL: the core's hundreds of exports must not satisfy lookups of
    // the engine or of a second core.
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "fake_core_control"), nullptr);
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "retro_init"), nullptr);
    void *still_loaded = dlopen(core.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(still_loaded, nullptr);
    if (still_loaded != nullptr) {
        dlclose(still_loaded);
    }
    player.unload_core();
    still_loaded = dlopen(core.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still_loaded, nullptr);
    if (still_loaded != nullptr) {
        dlclose(still_loaded);
    }
}

#else

TEST(PosixOnly, Skipped) { GTEST_SKIP() << "dlopen"; }

#endif

} // namespace
} // namespace tovarune::testing
