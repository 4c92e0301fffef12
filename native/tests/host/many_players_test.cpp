// Many players at once, each with a core of its own, on any thread.
#include "core/core_call.h"
#include "core/core_library.h"
#include "core/processes.h"
#include "test_support.h"

#include <atomic>
#include <filesystem>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tovarune::testing {
namespace {

// Each player's core answers from that player alone: its save directory, its
// buttons, and its frames and sound.
void expect_own_answers(Player &player, RecordingSink &sink, const std::string &saves) {
    FakeCoreControl &core = fake_core_of(player);
    const CoreScope inside = player.enter_core();
    const char *directory = nullptr;
    EXPECT_TRUE(core.environment(RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, &directory));
    EXPECT_EQ(std::string(directory != nullptr ? directory : ""), saves);
    player.set_button(RETRO_DEVICE_ID_JOYPAD_X, true);
    EXPECT_EQ(core.input_state(0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_X), 1);
    player.set_button(RETRO_DEVICE_ID_JOYPAD_X, false);
    const std::uint16_t pixel = 0x7FFF;
    const int frames = sink.frames;
    core.video_refresh(&pixel, 1, 1, 2);
    EXPECT_EQ(sink.frames, frames + 1);
    const std::int16_t sample[2] = {1, 2};
    core.audio_sample_batch(sample, 1);
    EXPECT_EQ(player.queued_audio_frames(), 1u);
    player.pop_audio_frames(1, [](std::size_t, const StereoFrame &) {});
}

#ifndef _WIN32
const std::string copies = utf8_of(std::filesystem::temp_directory_path()) + "/tovarune-cores-" +
                           std::to_string(geteuid());
#endif

TEST(ManyPlayers, EachPlayerRunsItsOwnCoreHoweverItNamesTheFile) {
    FakeCore core;
    TempDir dir;
    const std::string original = core.path(), file_copy = dir.path("other.so");
    write_bytes(file_copy, read_bytes(original));
#ifndef _WIN32
    std::filesystem::create_symlink(path_of(original), path_of(dir.path("link.so")));
    std::filesystem::create_hard_link(path_of(original), path_of(dir.path("hard.so")));
#endif
    const std::string dot_path =
        original.substr(0, original.rfind('/')) + "/./" + original.substr(original.rfind('/') + 1);
    // clang-format off
    const std::pair<std::string, bool> seconds[] = { // the second player's path; the first unloads first
        {original, true}, {original, false}, {dot_path, true}, {file_copy, false},
        {fake_core_path("fake_core_without_port_device"), true},
#ifndef _WIN32
        {dir.path("link.so"), false}, {dir.path("hard.so"), true},
#endif
    };
    // clang-format on
    for (const auto &[path, first_goes_first] : seconds) {
        RecordingSink sinks[2];
        Player players[2];
        for (int i = 0; i < 2; ++i) {
            players[i].set_frame_sink(&sinks[i]);
            players[i].set_paths("", dir.path("saves" + std::to_string(i)));
            ASSERT_TRUE(players[i].load_core(i == 0 ? original : path)) << path;
        }
        EXPECT_NE(players[0].library(), players[1].library());
#ifndef _WIN32
        for (const std::string &name : directory_entries(copies)) { // gone once loaded
            EXPECT_NE(name.rfind(std::to_string(getpid()) + "-", 0), 0u) << name;
        }
#endif
        for (int i : {1, 0}) {
            expect_own_answers(players[i], sinks[i], dir.path("saves" + std::to_string(i)));
        }
        const int stays = first_goes_first ? 1 : 0;
        players[1 - stays].unload_core();
        expect_own_answers(players[stays], sinks[stays], dir.path("saves" + std::to_string(stays)));
    }
}

TEST(ManyPlayers, SixteenHoldACoreAtOnceAndCopiesOfEndedRunsGo) {
    FakeCore core;
    std::vector<std::string> leftovers;
#ifndef _WIN32
    const pid_t ended = fork();
    if (ended == 0) {
        _exit(0);
    }
    waitpid(ended, nullptr, 0);
    leftovers = {copies + "/" + std::to_string(ended) + "-1-core.so",
                 copies + "/" + std::to_string(getppid()) + "-1-core.so"}; // a living process's
#endif
    std::vector<std::unique_ptr<Player>> players;
    RecordingEvents events;
    for (int i = 0; i < 17; ++i) {
        if (i == 1) {
            for (const std::string &leftover : leftovers) {
                write_bytes(leftover, {1});
            }
        }
        players.push_back(std::make_unique<Player>());
        players.back()->set_events(&events);
        EXPECT_EQ(players.back()->load_core(core.path()), i < 16) << i;
    }
    EXPECT_EQ(players[16]->last_error(),
              "Nao foi possivel carregar o core Libretro: " + core.path());
    const std::vector<std::pair<unsigned, std::string>> said = {
        {RETRO_LOG_ERROR, "Ja ha 16 players com um core carregado, o maximo; descarregue o core "
                          "de um deles antes."}};
    EXPECT_EQ(events.lines, said);
    if (!leftovers.empty()) {
        EXPECT_FALSE(file_exists(leftovers[0]));
        EXPECT_TRUE(file_exists(leftovers[1]));
        std::filesystem::remove(path_of(leftovers[1]));
    }
    RecordingSink sink;
    players[15]->set_frame_sink(&sink);
    expect_own_answers(*players[15], sink, "");
    players[3].reset();
    EXPECT_TRUE(players[16]->load_core(core.path()));
}

// A process before this one that had its id (as under Wine) left copies: those
// that can go, go, and a name still taken moves on to the next. A copy that
// cannot be made fails the load as a missing file does, and the log says why.
TEST(ManyPlayers, CopiesTakeTheNextFreeNameAndSayWhyTheyCannotBeMade) {
    FakeCore core;
    TempDir temporary;
    const TemporaryDirectoryAt inside(temporary.path());
#ifdef _WIN32
    const std::string copies = temporary.path("tovarune-cores");
#else
    const std::string copies = temporary.path("tovarune-cores-" + std::to_string(geteuid()));
#endif
    const std::string name = "-" + utf8_of(path_of(core.path()).filename());
    RecordingEvents events;
    Player first, second;
    second.set_events(&events);
    ASSERT_TRUE(first.load_core(core.path()));
    const auto refused = [&](const std::string &cause) {
        events.lines.clear();
        EXPECT_FALSE(second.load_core(core.path()));
        EXPECT_EQ(second.last_error(), "Nao foi possivel carregar o core Libretro: " + core.path());
        EXPECT_TRUE(events.lines.size() == 1 && events.lines[0].second.rfind(cause, 0) == 0);
    };
    write_bytes(copies, {1}); // not a folder of ours
    refused("A pasta das copias privadas do core nao e uma pasta so deste usuario: ");
    std::filesystem::remove(path_of(copies));
    ASSERT_TRUE(second.load_core(core.path()));
    // "<id>-<number>-<name>": the next copies' names.
    const std::string copy = utf8_of(path_of(library_file(second.library())).filename());
    const std::size_t number = std::stoul(copy.substr(copy.find('-') + 1));
    const auto named = [&](std::size_t n) {
        return std::to_string(current_process_id()) + "-" + std::to_string(n) + name;
    };
    second.unload_core();
    std::filesystem::create_directory(path_of(copies + "/" + named(number + 1))); // cannot go
    write_bytes(copies + "/" + named(number + 2), {1});                           // can
    ASSERT_TRUE(second.load_core(core.path()));
    EXPECT_EQ(path_of(library_file(second.library())).filename(), path_of(named(number + 2)));
    second.unload_core();
    EXPECT_EQ(directory_entries(copies), std::vector<std::string>{named(number + 1)});
#ifndef _WIN32
    const FileSizeLimit full_disk(16);
    refused("Nao foi possivel copiar o core para ");
#endif
}

// A core that stays inside retro_run until the test lets it go.
std::atomic<int> running{0};
std::atomic<bool> let_go{false};
void stay_in_run(const char *entry) {
    if (std::string(entry) == "retro_run") {
        ++running;
        while (!let_go) {
            std::this_thread::yield();
        }
    }
}

TEST(ManyPlayers, PlayersOnOtherThreadsGoOnWhileACoreRuns) {
    FakeCore core;
    TempDir dir;
    write_bytes(dir.path("game.bin"), {1});
    Player held, other;
    for (Player *player : {&held, &other}) {
        player->set_paths("", dir.path(player == &held ? "held" : "other"));
        ASSERT_TRUE(player->load_core(core.path()) && player->load_game(dir.path("game.bin")));
    }
    fake_core_of(other).save_ram_size = 2;
    fake_core_of(other).save_ram[0] = 7;
    RecordingEvents events;
    held.set_events(&events);
    retro_log_callback logging{};
    {
        const CoreScope inside = held.enter_core();
        ASSERT_TRUE(fake_core_of(held).environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &logging));
    }
    core->hook = stay_in_run;
    std::thread runner([&] { held.run_frame(); });
    while (running == 0) {
        std::this_thread::yield();
    }
    // While its core runs on another thread, calls from here are stray ones, but
    // for the log, which a core may write from anywhere.
    const std::int16_t sample[2] = {1, 2};
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(fake_core_of(held).audio_sample_batch(sample, 1), 0u);
    }
    logging.log(RETRO_LOG_ERROR, "%s %d\n", "linha", 7);
    // Another player's core on another thread does not stop this one leaving.
    other.unload_core();
    EXPECT_FALSE(other.holds_library());
    EXPECT_EQ(read_bytes(dir.path("other/game.srm")), (std::vector<std::uint8_t>{7, 0}));
    ASSERT_TRUE(other.load_core(core.path()));
    let_go = true;
    runner.join();
    core->hook = nullptr;
    EXPECT_EQ(held.queued_audio_frames(), 0u);
    const std::vector<std::pair<unsigned, std::string>> said = {
        {RETRO_LOG_WARN, "O core chamou o frontend de outra thread, fora da sua vez; chamadas "
                         "assim sao ignoradas."},
        {RETRO_LOG_ERROR, "linha 7"}};
    EXPECT_EQ(events.lines, said);

    // Frames on two threads at once leave no thread believing it is inside a core.
    ASSERT_TRUE(other.load_game(dir.path("game.bin")));
    const auto frames = [](Player *player) {
        for (int i = 0; i < 20000; ++i) {
            player->run_frame();
        }
    };
    std::thread second(frames, &other);
    frames(&held);
    second.join();
    EXPECT_FALSE(CoreCall::under_way());
    EXPECT_TRUE(held.load_core(core.path()) && other.load_game(dir.path("game.bin")));
}

} // namespace
} // namespace tovarune::testing
