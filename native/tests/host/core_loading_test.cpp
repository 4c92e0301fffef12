#include "callbacks.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tovarune::testing {
namespace {

using Calls = std::vector<std::string>;

bool all_entry_points_null(const Player &player) {
    bool all_null = true;
    for_each_entry_point(player.core_api(),
                         [&](const auto &slot, const char *) { all_null &= slot == nullptr; });
    return all_null;
}

void expect_no_core(const Player &player) {
    EXPECT_FALSE(player.is_core_loaded());
    EXPECT_FALSE(player.is_game_loaded());
    EXPECT_FALSE(player.holds_library());
    EXPECT_TRUE(all_entry_points_null(player));
}

TEST(CoreLoading, InstallsCallbacksAfterBecomingActiveThenInitialises) {
    FakeCore core;
    Player player;
    static Player *active_during_set_environment;
    static bool can_dupe_answered;
    active_during_set_environment = nullptr;
    can_dupe_answered = false;
    core->hook = [](const char *entry) {
        if (std::string(entry) == "retro_set_environment") {
            active_during_set_environment = active_player;
            bool can_dupe = false;
            can_dupe_answered =
                FakeCore::current().environment(RETRO_ENVIRONMENT_GET_CAN_DUPE, &can_dupe) &&
                can_dupe;
        }
    };
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(core.calls(),
              (Calls{"retro_api_version", "retro_set_environment", "retro_set_video_refresh",
                     "retro_set_audio_sample", "retro_set_audio_sample_batch",
                     "retro_set_input_poll", "retro_set_input_state", "retro_init"}));
    EXPECT_EQ(active_during_set_environment, &player);
    EXPECT_TRUE(can_dupe_answered);
    EXPECT_EQ(core->environment, &environment_callback);
    EXPECT_EQ(core->video_refresh, &video_refresh_callback);
    EXPECT_EQ(core->audio_sample, &audio_sample_callback);
    EXPECT_EQ(core->audio_sample_batch, &audio_sample_batch_callback);
    EXPECT_EQ(core->input_poll, &input_poll_callback);
    EXPECT_EQ(core->input_state, &input_state_callback);
    EXPECT_TRUE(player.is_core_loaded());
    EXPECT_TRUE(player.last_error().empty());
    EXPECT_EQ(active_player, &player);
}

TEST(CoreLoading, FailuresLeaveNoCoreWithTheirMessage) {
    FakeCore core;
    Player player;
    const std::string missing = fake_core_path("no_such_core");
    EXPECT_FALSE(player.load_core(missing));
    EXPECT_EQ(player.last_error(), "Nao foi possivel carregar o core Libretro: " + missing);
    expect_no_core(player);
    EXPECT_FALSE(player.load_core(""));
    EXPECT_EQ(player.last_error(), "Nao foi possivel carregar o core Libretro: ");

    {
        FakeCore without_unserialize("fake_core_without_unserialize");
        EXPECT_FALSE(player.load_core(without_unserialize.path()));
        EXPECT_EQ(player.last_error(), "Core invalido: faltando retro_unserialize");
        expect_no_core(player);
        EXPECT_TRUE(without_unserialize.calls().empty());
    }
    {
        FakeCore api_2("fake_core_api_2");
        EXPECT_FALSE(player.load_core(api_2.path()));
        EXPECT_EQ(player.last_error(), "Versao da API Libretro incompativel.");
        expect_no_core(player);
        EXPECT_EQ(api_2.calls(), Calls{"retro_api_version"});
        EXPECT_EQ(active_player, nullptr);
    }
    // A success clears the message; unload_core leaves it alone.
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(player.last_error(), "");
    player.unload_core();
    player.load_core(missing);
    player.unload_core();
    EXPECT_EQ(player.last_error(), "Nao foi possivel carregar o core Libretro: " + missing);
}

TEST(CoreLoading, UnloadDeinitialisesClearsActivePlayerAndFreesTheLibrary) {
    FakeCore core;
    Player player;
    ASSERT_TRUE(player.load_core(core.path()));
    core.clear_calls();
    player.unload_core();
    EXPECT_EQ(core.calls(), Calls{"retro_deinit"});
    expect_no_core(player);
    EXPECT_EQ(active_player, nullptr);
    // Nothing held: nothing happens.
    player.unload_core();
    EXPECT_EQ(core.calls(), Calls{"retro_deinit"});
}

TEST(CoreLoading, LoadingOverARunningGameLetsTheOldCoreGoFirstEvenWhenTheNewLoadFails) {
    FakeCore core;
    TempDir dir;
    write_bytes(dir.path("game.bin"), {1, 2, 3});
    Player player;
    player.set_paths("", dir.path("saves"));
    ASSERT_TRUE(player.load_core(core.path()));
    core->save_ram_size = 4;
    ASSERT_TRUE(player.load_game(dir.path("game.bin")));
    core->save_ram[0] = 0x42;
    core.clear_calls();

    EXPECT_FALSE(player.load_core(fake_core_path("no_such_core")));
    EXPECT_EQ(core.calls(), (Calls{"retro_get_memory_data", "retro_get_memory_size",
                                   "retro_unload_game", "retro_deinit"}));
    EXPECT_EQ(read_bytes(dir.path("saves/game.srm")), (std::vector<std::uint8_t>{0x42, 0, 0, 0}));
    expect_no_core(player);
    EXPECT_EQ(active_player, nullptr);
}

TEST(CoreLoading, SamePathTwiceGivesAFreshInitialisation) {
    FakeCore core;
    Player player;
    ASSERT_TRUE(player.load_core(core.path()));
    core.clear_calls();
    ASSERT_TRUE(player.load_core(core.path()));
    const Calls calls = core.calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front(), "retro_deinit");
    EXPECT_EQ(calls[1], "retro_api_version");
    EXPECT_EQ(calls.back(), "retro_init");
}

TEST(CoreLoading, ActivePlayerIsClearedOnlyByItsOwnPlayer) {
    FakeCore core;
    auto first = std::make_unique<Player>();
    Player second;
    ASSERT_TRUE(first->load_core(core.path()));
    ASSERT_TRUE(second.load_core(fake_core_path("fake_core_without_port_device")));
    EXPECT_EQ(active_player, &second);
    first->unload_core();
    EXPECT_EQ(active_player, &second);
    ASSERT_TRUE(first->load_core(core.path()));
    EXPECT_EQ(active_player, first.get());
    second.unload_core();
    EXPECT_EQ(active_player, first.get());
    // Destruction lets the core go like unload_core.
    core.clear_calls();
    first.reset();
    EXPECT_EQ(core.calls(), Calls{"retro_deinit"});
    EXPECT_EQ(active_player, nullptr);
}

TEST(CoreLoading, CallbacksDoNothingWithoutAnActivePlayer) {
    FakeCore core;
    Player player;
    RecordingSink sink;
    player.set_frame_sink(&sink);
    ASSERT_TRUE(player.load_core(core.path()));
    player.unload_core();
    bool untouched = false;
    EXPECT_FALSE(environment_callback(RETRO_ENVIRONMENT_GET_CAN_DUPE, &untouched));
    EXPECT_FALSE(untouched);
    const std::uint32_t pixel = 0;
    video_refresh_callback(&pixel, 1, 1, 4);
    EXPECT_EQ(sink.frames, 0);
    input_poll_callback();
}

} // namespace
} // namespace tovarune::testing
