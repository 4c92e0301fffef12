// A script woken by the texture's `changed` signal may unload the core or free
// the node: the core has returned by then, and the texture rules still hold.

#include "libretro_player.h"
#include "test_support.h"

#include <stand_in.hpp>

namespace tovarune::testing {
namespace {

namespace stand_in = godot::stand_in;

TEST(Reentrancy, TextureHandlersRunAfterTheCoreReturned) {
    stand_in::reset();
    FakeCore core;
    TempDir dir;
    write_bytes(dir.path("game.bin"), {1});
    std::uint16_t words[8] = {0x7C00}; // 4 x 2 in 0RGB1555, one pixel red
    core->frame_data = words;
    core->frame_width = 4;
    core->frame_height = 2;
    core->frame_pitch = 8;
    auto node = std::make_unique<LibretroPlayer>();
    const auto start = [&] {
        ASSERT_TRUE(node->load_core(godot::String::utf8(core.path().c_str())));
        ASSERT_TRUE(node->load_game(godot::String::utf8(dir.path("game.bin").c_str())));
        node->run_frame(); // a new texture: no handler connected yet
    };
    start();
    const godot::Ref<godot::ImageTexture> shown = node->get_video_texture();
    stand_in::texture_changed() = [&] { node->unload_core(); };
    words[0] = 0x001F; // blue
    node->run_frame();
    EXPECT_FALSE(node->is_core_loaded());
    EXPECT_TRUE(node->get_video_texture().is_null());
    EXPECT_EQ(shown->updates(), 1);
    EXPECT_EQ(shown->pixels()[2], 255);

    stand_in::texture_changed() = [&] { node.reset(); };
    start();
    node->run_frame();
    EXPECT_FALSE(node);
    stand_in::texture_changed() = nullptr;
    EXPECT_EQ(stand_in::engine_errors(), 0);
    EXPECT_EQ(stand_in::live_textures(), 1);
}

} // namespace
} // namespace tovarune::testing
