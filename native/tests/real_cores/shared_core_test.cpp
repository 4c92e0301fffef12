// A core keeps its state in globals: a second player of its library, by any
// path, is refused until the first one lets the core go.

#include "libretro_player.h"
#include "test_support.h"

#include <filesystem>

namespace tovarune::testing {
namespace {

godot::String text(const std::string &utf8) { return godot::String::utf8(utf8.c_str()); }

// The red of the top left pixel after a few frames.
int play(LibretroPlayer &player) {
    for (int i = 0; i < 5; ++i) {
        player.run_frame();
    }
    const godot::Ref<godot::ImageTexture> texture = player.get_video_texture();
    return texture.is_valid() ? texture->pixels()[0] : -1;
}

TEST(SharedCore, ASecondPlayerOfTheSameLibraryWaitsForTheFirst) {
    const std::string core =
        std::string(LIBRETRO_CORE_DIR) + "/gambatte_libretro" + SHARED_LIBRARY_SUFFIX;
    const std::string rom = std::string(ROM_DIR) + "/battery.gb";
    if (!file_exists(core) || !file_exists(rom)) {
        GTEST_SKIP() << "needs the Debian packages libretro-gambatte and cc65";
    }
    TempDir dir;
    const std::string link = dir.path("gambatte ligação.so");
    std::error_code ec;
    std::filesystem::create_symlink(path_of(core), path_of(link), ec);
    const int released = 222; // the ROM's picture

    LibretroPlayer first, second;
    ASSERT_TRUE(first.load_core(text(core)) && first.load_game(text(rom)));
    for (const std::string &path : {core, link}) {
        EXPECT_FALSE(second.load_core(text(path)));
        EXPECT_EQ(second.get_last_error(),
                  text("Nao foi possivel carregar o core Libretro: " + path));
        EXPECT_EQ(play(first), released);
    }
    first.unload_core();
    ASSERT_TRUE(second.load_core(text(link)) && second.load_game(text(rom)));
    EXPECT_EQ(play(second), released);
}

} // namespace
} // namespace tovarune::testing
