// Binding a core, handing it the callbacks, and letting it go again.
#include "callbacks.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

using Calls = std::vector<std::string>;

TEST(CoreLoading, BecomesActiveInstallsTheCallbacksThenInitialises) {
    FakeCore core;
    Player player;
    static Player *active_in_set_environment;
    active_in_set_environment = nullptr;
    core->hook = [](const char *entry) {
        if (std::string(entry) == "retro_set_environment") {
            active_in_set_environment = active_player;
        }
    };
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(core.calls(),
              (Calls{"retro_api_version", "retro_set_environment", "retro_set_video_refresh",
                     "retro_set_audio_sample", "retro_set_audio_sample_batch",
                     "retro_set_input_poll", "retro_set_input_state", "retro_init"}));
    EXPECT_EQ(active_in_set_environment, &player);
    EXPECT_EQ(core->environment, &environment_callback);
    EXPECT_EQ(core->video_refresh, &video_refresh_callback);
    EXPECT_EQ(core->audio_sample, &audio_sample_callback);
    EXPECT_EQ(core->audio_sample_batch, &audio_sample_batch_callback);
    EXPECT_EQ(core->input_state, &input_state_callback);

    core.clear_calls();
    player.unload_core();
    player.unload_core();
    EXPECT_EQ(core.calls(), Calls{"retro_deinit"});
    EXPECT_EQ(active_player, nullptr);
    EXPECT_FALSE(player.holds_library());
}

TEST(CoreLoading, UnusableLibrariesAreRefusedAfterTheOldCoreWent) {
    TempDir dir;
    const std::string cannot_load = "Nao foi possivel carregar o core Libretro: ";
    const std::string missing = dir.path("none" SHARED_LIBRARY_SUFFIX);
    const std::string junk = dir.path("junk" SHARED_LIBRARY_SUFFIX);
    write_bytes(junk, {'n', 'o'});
    const struct {
        std::string path, error;
    } cases[] = {
        {missing, cannot_load + missing},
        {"", cannot_load},
        {junk, cannot_load + junk},
        {fake_core_path("fake_core_without_unserialize"),
         "Core invalido: faltando retro_unserialize"},
        {fake_core_path("fake_core_api_2"), "Versao da API Libretro incompativel."},
#ifndef _WIN32
        // Cut inside its segments, it would fault on first touch if loaded.
        {dir.path("cut.so"), cannot_load + dir.path("cut.so")},
#endif
    };
    const std::vector<std::uint8_t> whole = read_bytes(fake_core_path());
    write_bytes(dir.path("cut.so"), {whole.begin(), whole.begin() + 4096});
    FakeCore core;
    Player player;
    for (const auto &c : cases) {
        ASSERT_TRUE(player.load_core(core.path()));
        core.clear_calls();
        EXPECT_FALSE(player.load_core(c.path));
        EXPECT_EQ(player.last_error(), c.error);
        EXPECT_EQ(core.calls(), Calls{"retro_deinit"}) << c.path;
        EXPECT_FALSE(player.is_core_loaded());
        EXPECT_FALSE(player.holds_library());
        EXPECT_EQ(player.core_api().retro_run, nullptr);
        EXPECT_EQ(active_player, nullptr);
    }
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(player.last_error(), "");
}

} // namespace
} // namespace tovarune::testing
