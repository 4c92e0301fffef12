// A core keeps its state in globals: a second player of the same library would
// run it over the first one's game. It is refused, whatever path leads to it,
// until the first player lets the core go.

#include "libretro_player.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tovarune::testing {
namespace {

using godot::String;

String text(const std::string &utf8) { return String::utf8(utf8.c_str()); }

// Runs a few frames and reads the top left pixel of the picture.
std::vector<std::uint8_t> play(LibretroPlayer &player) {
    for (int i = 0; i < 5; ++i) {
        player.run_frame();
    }
    const godot::Ref<godot::ImageTexture> texture = player.get_video_texture();
    if (texture.is_null()) {
        return {};
    }
    return {texture->pixels().ptr(), texture->pixels().ptr() + 4};
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
    ASSERT_FALSE(ec);
    const std::vector<std::uint8_t> released{222, 97, 65, 255}; // the ROM's picture

    LibretroPlayer first, second;
    ASSERT_TRUE(first.load_core(text(core)));
    ASSERT_TRUE(first.load_game(text(rom)));
    for (const std::string &path : {core, link}) {
        EXPECT_FALSE(second.load_core(text(path)));
        EXPECT_EQ(second.get_last_error(),
                  text("Nao foi possivel carregar o core Libretro: " + path));
        EXPECT_EQ(play(first), released);
    }
    first.unload_core();
    ASSERT_TRUE(second.load_core(text(link))) << second.get_last_error().utf8().get_data();
    ASSERT_TRUE(second.load_game(text(rom)));
    EXPECT_EQ(play(second), released);
}

} // namespace
} // namespace tovarune::testing
