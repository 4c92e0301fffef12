// A script woken by the texture's `changed` signal may unload the core or free
// the node: by then the core has returned, and the texture rules still hold.

#include "libretro_player.h"
#include "test_support.h"

#include <stand_in.hpp>

#include <memory>
#include <vector>

namespace tovarune::testing {
namespace {

using godot::ImageTexture;
using godot::Ref;
using godot::String;
namespace stand_in = godot::stand_in;

TEST(Reentrancy, TextureHandlersRunAfterTheCoreReturned) {
    stand_in::reset();
    FakeCore core;
    TempDir dir;
    const String core_path = String::utf8(core.path().c_str());
    const String rom = String::utf8(dir.path("game.bin").c_str());
    write_bytes(dir.path("game.bin"), {1});
    std::vector<std::uint16_t> words(8, 0x7C00); // red, 4 x 2 in 0RGB1555
    const std::int16_t sample[] = {1, 2};
    core->frame_data = words.data();
    core->frame_width = 4;
    core->frame_height = 2;
    core->frame_pitch = 8;
    core->audio = sample;
    core->audio_frames = 1;

    auto node = std::make_unique<LibretroPlayer>();
    ASSERT_TRUE(node->load_core(core_path));
    ASSERT_TRUE(node->load_game(rom));
    node->run_frame();
    const Ref<ImageTexture> shown = node->get_video_texture();
    ASSERT_TRUE(shown.is_valid());
    node->pop_audio_frames(16);

    // Sound comes after the picture in the core's frame: the handler hears it
    // only once the core is done.
    int64_t heard = -1;
    stand_in::texture_changed() = [&] {
        heard = node->pop_audio_frames(16).size();
        node->unload_core();
    };
    words[0] = 0x001F; // blue
    node->run_frame();
    EXPECT_EQ(heard, 1);
    EXPECT_FALSE(node->is_core_loaded());
    EXPECT_TRUE(node->get_video_texture().is_null());
    EXPECT_EQ(shown->updates(), 1);
    EXPECT_EQ(shown->pixels()[2], 255);

    // A handler that frees the node mid-method.
    stand_in::texture_changed() = [&] { node.reset(); };
    ASSERT_TRUE(node->load_core(core_path));
    ASSERT_TRUE(node->load_game(rom));
    node->run_frame();
    EXPECT_NE(node->get_video_texture(), shown);
    node->run_frame();
    EXPECT_FALSE(node);
    stand_in::texture_changed() = nullptr;
    EXPECT_EQ(stand_in::engine_errors(), 0);
    EXPECT_EQ(stand_in::live_textures(), 1);
}

} // namespace
} // namespace tovarune::testing
