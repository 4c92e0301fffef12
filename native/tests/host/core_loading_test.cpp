// Binding a core, handing it the callbacks, and letting it go again.
#include "callbacks.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

using Calls = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

TEST(CoreLoading, InstallsTheCallbacksThenInitialisesAndDeinitialisesOnce) {
    FakeCore core;
    Player player;
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(core.calls(),
              (Calls{"retro_api_version", "retro_set_environment", "retro_set_video_refresh",
                     "retro_set_audio_sample", "retro_set_audio_sample_batch",
                     "retro_set_input_poll", "retro_set_input_state", "retro_init"}));
    core.clear_calls();
    player.unload_core();
    player.unload_core();
    EXPECT_EQ(core.calls(), Calls{"retro_deinit"});
    EXPECT_EQ(active_player, nullptr);
}

TEST(CoreLoading, UnusableLibrariesAreRefusedAfterTheOldCoreWent) {
    TempDir dir;
    const std::string cannot_load = "Nao foi possivel carregar o core Libretro: ";
    const std::string missing = dir.path("none"), junk = dir.path("junk"), cut = dir.path("cut");
    write_bytes(junk, {'n', 'o'});
    // Cut inside its segments, a library would fault on first touch if mapped.
    const Bytes whole = read_bytes(fake_core_path());
    write_bytes(cut, Bytes(whole.begin(), whole.begin() + 4096));
    const std::pair<std::string, std::string> cases[] = {
        {missing, cannot_load + missing},
        {"", cannot_load},
        {junk, cannot_load + junk},
        {cut, cannot_load + cut},
        {fake_core_path("fake_core_without_unserialize"),
         "Core invalido: faltando retro_unserialize"},
        {fake_core_path("fake_core_api_2"), "Versao da API Libretro incompativel."},
    };
    FakeCore core;
    Player player;
    for (const auto &[path, error] : cases) {
        ASSERT_TRUE(player.load_core(core.path()));
        core.clear_calls();
        EXPECT_FALSE(player.load_core(path));
        EXPECT_EQ(player.last_error(), error);
        EXPECT_EQ(core.calls(), Calls{"retro_deinit"}) << path;
        EXPECT_FALSE(player.is_core_loaded() || player.holds_library());
        EXPECT_EQ(player.core_api().retro_run, nullptr);
        EXPECT_EQ(active_player, nullptr);
    }
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(player.last_error(), "");
}

} // namespace
} // namespace tovarune::testing
