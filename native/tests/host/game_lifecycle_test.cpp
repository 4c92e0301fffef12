// A core's and a game's way through the player: loading, frames, sound,
// input, the core's memory and unloading.
#include "content/disc_index.h"
#include "content/file_io.h"
#include "core/callbacks.h"
#include "test_support.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace tovarune::testing {
namespace {

using Calls = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

TEST(CoreLoading, UnusableLibrariesAreRefusedAfterTheOldCoreWent) {
    TempDir dir;
    const std::string cannot_load = "Nao foi possivel carregar o core Libretro: ";
    const std::string missing = dir.path("none"), junk = dir.path("junk"), cut = dir.path("cut");
    write_bytes(junk, {'n', 'o'});
    // Cut inside its segments, a library would fault on first touch if mapped.
    const Bytes whole = read_bytes(fake_core_path());
    write_bytes(cut, Bytes(whole.begin(), whole.begin() + 4096));
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {missing, cannot_load + missing}, {"", cannot_load}, {junk, cannot_load + junk}, {cut, cannot_load + cut},
        {fake_core_path("fake_core_without_unserialize"), "Core invalido: faltando retro_unserialize"},
        {fake_core_path("fake_core_api_2"), "Versao da API Libretro incompativel."},
    };
    // clang-format on
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
    }
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(player.last_error(), "");
}

class GameLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        player.set_frame_sink(&sink);
        write_bytes(rom, {9, 8, 7});
        ASSERT_TRUE(player.load_core(core.path()));
    }

    FakeCore core;
    TempDir dir;
    std::string rom = dir.path("game.bin");
    RecordingSink sink;
    Player player;
};

TEST_F(GameLifecycle, LoadsTheBytesOrThePathAndSaysWhyNot) {
    // Sound made while the game loads is not part of it.
    static const std::int16_t samples[] = {1, 1};
    core->hook = [](const char *entry) {
        if (std::string(entry) == "retro_load_game") {
            FakeCore::current().audio_sample_batch(samples, 1);
        }
    };
    ASSERT_TRUE(player.load_game(rom));
    EXPECT_EQ(core->game_size, 3u);
    EXPECT_EQ(core->game_bytes[2], 7);
    EXPECT_EQ(core->port_device[1], unsigned(RETRO_DEVICE_JOYPAD));
    EXPECT_EQ(player.queued_audio_frames(), 0u);
    EXPECT_EQ(sink.drops, 1);
    core->need_fullpath = true;
    ASSERT_TRUE(player.load_game(dir.path("only the core reads this")));
    EXPECT_STREQ(core->game_path, dir.path("only the core reads this").c_str());
    EXPECT_EQ(core->game_data, nullptr);
    core->need_fullpath = false;

    // The message scripts compare, and the cause in the log.
    write_bytes(dir.path("empty"), {});
    std::filesystem::create_directory(path_of(dir.path("folder")));
    RecordingEvents events;
    player.set_events(&events);
    const std::tuple<std::string, bool, const char *, const char *> failures[] = {
        {dir.path("missing"), true, "Nao foi possivel abrir a ROM.", "o arquivo nao existe"},
        {dir.path("folder"), true, "Nao foi possivel abrir a ROM.",
         "nao e um arquivo, ou nao ha permissao para le-lo"},
        {dir.path("empty"), true, "A ROM esta vazia ou nao pode ser lida.", "o arquivo esta vazio"},
        {rom, false, "O core Snes9x recusou a ROM.", "o core recusou o jogo sem dizer por que"},
    };
    for (const auto &[path, accept, error, cause] : failures) {
        core->accept_game = accept;
        events.lines.clear();
        EXPECT_FALSE(player.load_game(path));
        EXPECT_EQ(player.last_error(), error);
        EXPECT_FALSE(player.is_game_loaded());
        const std::vector<std::pair<unsigned, std::string>> said = {
            {RETRO_LOG_WARN, path + ": " + cause}};
        EXPECT_EQ(events.lines, said) << path;
    }
    // A core that explains its refusal is not explained again.
    core->hook = [](const char *entry) {
        retro_log_callback logging{};
        if (std::string(entry) == "retro_load_game" &&
            FakeCore::current().environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &logging)) {
            logging.log(RETRO_LOG_ERROR, "bad header\n");
        }
    };
    events.lines.clear();
    EXPECT_FALSE(player.load_game(rom));
    EXPECT_EQ(events.lines.size(), 1u);
}

// No content reaches only a core that said it starts without one, as a null
// game; its battery save takes the core file's name.
TEST_F(GameLifecycle, StartsWithoutContentOnlyACoreThatSaidItCan) {
    core.clear_calls();
    EXPECT_FALSE(player.load_game(""));
    EXPECT_EQ(player.last_error(), "Nao foi possivel abrir a ROM.");
    const Calls calls = core.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "retro_load_game"), 0);

    core->support_no_game = true;
    ASSERT_TRUE(player.load_core(core.path()));
    player.set_paths("", dir.path("saves"));
    core->save_ram_size = 2;
    core->save_ram[1] = 5;
    ASSERT_TRUE(player.load_game(""));
    EXPECT_TRUE(core->game_null);
    EXPECT_FALSE(core->game_info_ext_answer); // no game to tell of
    EXPECT_EQ(core->game_info_ext, nullptr);
    EXPECT_EQ(player.save_name(), "fake_core");
    player.unload_game();
    EXPECT_EQ(read_bytes(dir.path("saves/fake_core.srm")), (Bytes{0, 5}));
}

// What the core is told of its game, by the extension's override where one
// applies; bytes told persistent outlive the game until the core goes.
TEST_F(GameLifecycle, TellsTheGameInfoByTheOverrideOfItsExtension) {
    static const retro_system_content_info_override overrides[] = {
        {"CUE|bin", true, false}, {"bin|sfc", false, true}, {nullptr, false, false}};
    core->content_overrides = overrides;
    ASSERT_TRUE(player.load_core(core.path()));
    write_bytes(dir.path("Game.SFC"), {1, 2, 3});
    write_bytes(dir.path("notes.txt"), {4});
    const std::tuple<std::string, const char *, const char *, bool, bool> games[] = {
        // file, name, ext, data given, persistent
        {"game.bin", "game", "bin", false, false},
        {"Game.SFC", "Game", "sfc", true, true},
        {"notes.txt", "notes", "txt", true, false},
    };
    for (const auto &[file, name, ext, data, persistent] : games) {
        ASSERT_TRUE(player.load_game(dir.path(file))) << file;
        ASSERT_TRUE(core->game_info_ext_answer);
        const retro_game_info_ext &info = *core->game_info_ext;
        EXPECT_EQ(info.full_path, dir.path(file));
        EXPECT_EQ(info.dir + std::string("/") + file, dir.path(file));
        EXPECT_STREQ(info.name, name);
        EXPECT_STREQ(info.ext, ext);
        EXPECT_EQ(info.archive_path, nullptr);
        EXPECT_EQ(info.meta, nullptr);
        EXPECT_EQ(info.data != nullptr, data) << file;
        EXPECT_EQ(core->game_data, info.data);
        EXPECT_EQ(info.persistent_data, persistent) << file;
        const void *bytes = info.data;
        player.unload_game();
        if (persistent) {
            EXPECT_EQ(std::memcmp(bytes, "\1\2\3", 3), 0);
        }
    }
}

// An exported game's pack: res:// files lie under `root`, user:// ones in
// `root/user`.
class Pack : public EngineFiles {
public:
    explicit Pack(std::string root) : root(std::move(root)) {}
    std::string globalize(const std::string &path) const override {
        return path.rfind("res://", 0) == 0 ? path.substr(6) : root + "/user/" + path.substr(7);
    }
    std::string executable_directory() const override { return root; }
    ReadResult read_packed(const std::string &path, ByteBuffer &bytes) const override {
        return read_file(root + "/" + path.substr(6), bytes);
    }
    std::vector<std::string> packed_files(const std::string &) const override { return {}; }
    std::string root;
};

// A packed game that a core opens itself carries the files it names, never
// from outside its folder; a copy a living player uses is never removed,
// whoever unpacks a game of that name or a newer copy of the same game.
TEST(PackedGames, CarryTheFilesTheyNameAndKeepTheCopiesInUse) {
    FakeCore core("fake_core_cd");
    TempDir dir;
    Pack pack(dir.path("pack"));
    const std::pair<const char *, std::string> files[] = {
        {"roms/usa/game.bin", "usa"},
        {"roms/jp/game.bin", "jp"},
        {"roms/usa/game.cue", "FILE \"game.bin\" BINARY\nFILE \"tracks/2.bin\" BINARY\n"},
        {"roms/usa/tracks/2.bin", "2"},
        {"roms/discs.m3u", "# two discs\r\nusa/game.cue\njp/game.bin\n"},
        {"roms/bad.cue", "FILE \"../secret.bin\" BINARY\n"},
        {"secret.bin", "secret"}};
    for (const auto &[name, text] : files) {
        std::filesystem::create_directories(path_of(pack.root + "/" + name).parent_path());
        write_bytes(pack.root + "/" + name, Bytes(text.begin(), text.end()));
    }
    Player players[3];
    const auto play = [&](Player &player, const char *game) {
        player.set_engine_files(&pack);
        return (player.is_core_loaded() || player.load_core(core.path())) && player.load_game(game);
    };
    const auto opens_its_files = [](Player &player) {
        player.run_frame();
        return fake_core_of(player).system_ram[0] == 1;
    };
    ASSERT_TRUE(play(players[0], "res://roms/usa/game.bin"));
    ASSERT_TRUE(play(players[1], "res://roms/jp/game.bin"));
    write_bytes(pack.root + "/roms/usa/game.bin", {'n', 'e', 'w'});
    ASSERT_TRUE(play(players[2], "res://roms/usa/game.bin")); // changed since
    for (Player &player : players) {
        EXPECT_TRUE(opens_its_files(player));
    }
    const std::string old_copy = fake_core_of(players[0]).game_path;
    players[0].unload_game();
    ASSERT_TRUE(play(players[2], "res://roms/usa/game.bin"));
    EXPECT_FALSE(file_exists(old_copy)); // unused now, and stale

    ASSERT_TRUE(play(players[0], "res://roms/discs.m3u"));
    EXPECT_TRUE(opens_its_files(players[0]));
    EXPECT_FALSE(play(players[1], "res://roms/bad.cue"));
}

// The files index files name, and names kept inside a folder.
TEST(PackedGames, IndexFilesNameTheirTracks) {
    const std::pair<const char *, const char *> indexes[] = {
        {"a.cue",
         "REM x\n  file \"t 1.bin\" BINARY\r\nFILE t2.bin BINARY\nFILE\tdir\\t3.wav WAVE\n"},
        {"b.gdi", "2\n1 0 4 2352 \"track 1.raw\" 0\n2 600 0 2352 track02.bin 0\n"},
        {"c.m3u", "#EXTM3U\n\n d1.cue \n"},
        {"dir/d.ccd", "[CloneCD]\n"},
        {"e.bin", "FILE \"x.bin\" BINARY\n"},
    };
    std::vector<std::string> named;
    for (const auto &[name, text] : indexes) {
        ByteBuffer bytes;
        ASSERT_TRUE(bytes.allocate(std::strlen(text)));
        std::memcpy(bytes.data(), text, bytes.size());
        for (const std::string &file : named_files(name, bytes)) {
            named.push_back(file);
        }
    }
    EXPECT_EQ(named,
              (std::vector<std::string>{"t 1.bin", "t2.bin", "dir/t3.wav", "track 1.raw",
                                        "track02.bin", "d1.cue", "d.img", "d.sub", "d.cue"}));
    const std::pair<const char *, const char *> names[] = {{"a/./b/../c.bin", "a/c.bin"},
                                                           {"../x", ""},
                                                           {"a/../../x", ""},
                                                           {"/etc/x", ""},
                                                           {"C:/x", ""},
                                                           {"a//b", "a/b"}};
    for (const auto &[name, inside] : names) {
        EXPECT_EQ(inside_folder(name), inside) << name;
    }
}

TEST_F(GameLifecycle, RunsAndAnswersInputOnlyWithAGameAndConnectsPortsAtTheirFirstUse) {
    const auto connections = [&] {
        const Calls calls = core.calls();
        return std::count(calls.begin(), calls.end(), "retro_set_controller_port_device");
    };
    core.clear_calls();
    player.set_button(RETRO_DEVICE_ID_JOYPAD_START, true);
    player.set_port_button(2, RETRO_DEVICE_ID_JOYPAD_B, true); // no game: not yet
    player.run_frame();
    player.reset_game();
    ASSERT_TRUE(player.load_game(rom)); // port 0 as ever, then port 2, in use
    player.run_frame();
    player.reset_game();
    EXPECT_EQ(core.calls().size(), 9u); // the load's seven, then run and reset
    player.set_port_button(0, RETRO_DEVICE_ID_JOYPAD_L, true);
    player.set_port_button(8, 0, true);
    EXPECT_EQ(connections(), 2);
    player.set_analog(3, RETRO_DEVICE_INDEX_ANALOG_RIGHT, 0.5, 7.0);
    player.set_analog(0, 0, std::numeric_limits<double>::quiet_NaN(), -0.25);
    // clang-format off
    const int start = RETRO_DEVICE_ID_JOYPAD_START, joypad = RETRO_DEVICE_JOYPAD, analog = RETRO_DEVICE_ANALOG,
              x = RETRO_DEVICE_ID_ANALOG_X, y = RETRO_DEVICE_ID_ANALOG_Y;
    const int queries[][5] = { // port, device, index, id and the answer
        {0, joypad, 0, start, 1}, {0, RETRO_DEVICE_SUBCLASS(joypad, 1), 0, start, 1}, {1, joypad, 0, start, 0},
        {0, joypad, 1, start, 0}, {0, analog, 0, start, 0}, {0, joypad, 0, 16, 0},
        {2, joypad, 0, RETRO_DEVICE_ID_JOYPAD_B, 1}, {0, joypad, 0, RETRO_DEVICE_ID_JOYPAD_L, 1},
        {3, analog, 1, x, 16384}, {3, analog, 1, y, 32767}, {0, analog, 0, x, 0}, {0, analog, 0, y, -8192},
        {3, analog, RETRO_DEVICE_INDEX_ANALOG_BUTTON, 0, 0},
    };
    // clang-format on
    {
        const CoreScope inside = player.enter_core();
        for (const auto &[port, device, index, id, answer] : queries) {
            EXPECT_EQ(core->input_state(port, device, index, id), answer) << port << device << id;
        }
        player.set_button(RETRO_DEVICE_ID_JOYPAD_START, false);
        EXPECT_EQ(core->input_state(0, joypad, 0, start), 0);
    }
    player.unload_game();
    ASSERT_TRUE(player.load_game(rom)); // ports 0, 2 and 3
    EXPECT_EQ(connections(), 6);
}

// Each row on a freshly loaded core, from bytes of 0x1F: the first pixel, or
// nothing where the frame must not be read.
TEST_F(GameLifecycle, FramesAreReadInTheirCoresFormatAndOnlyWithinTheirRows) {
    using Rgb = std::array<std::uint8_t, 3>;
    const unsigned none = RETRO_PIXEL_FORMAT_UNKNOWN, xrgb = RETRO_PIXEL_FORMAT_XRGB8888;
    // clang-format off
    const std::tuple<unsigned, unsigned, unsigned, std::size_t, Rgb> shapes[] = { // format, size, pitch
        {xrgb, 4, 2, 16, {31, 31, 31}}, {none, 4, 2, 8, {57, 197, 255}}, // not the last core's format
        {RETRO_PIXEL_FORMAT_RGB565, 4, 2, 10, {24, 226, 255}}, {RETRO_PIXEL_FORMAT_RGB565, 4, 2, 6, {}},
        {xrgb, 4, 2, 8, {}}, {none, 16384, 1, 32768, {57, 197, 255}}, {none, 16385, 1, 32770, {}},
        {none, 1, 16385, 2, {}}, {xrgb, 1u << 31, 1u << 31, SIZE_MAX, {}},
        {none, 1, 16384, SIZE_MAX / 8, {}}, // row offsets wrap
    };
    // clang-format on
    const Bytes source(32768, 0x1F);
    for (const auto &[format, width, height, pitch, rgb] : shapes) {
        ASSERT_TRUE(player.load_core(core.path()));
        unsigned asked = format;
        const CoreScope inside = player.enter_core();
        core->environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &asked);
        sink.last_rgba.assign(3, 0);
        core->video_refresh(source.data(), width, height, pitch);
        EXPECT_EQ(Rgb({sink.last_rgba[0], sink.last_rgba[1], sink.last_rgba[2]}), rgb)
            << width << " " << pitch;
    }
}

TEST_F(GameLifecycle, MemoryRangesMustLieWhollyInsideTheRegion) {
    core->system_ram_size = 16; // the 48 bytes after it are not the region's
    EXPECT_EQ(player.memory_size(RETRO_MEMORY_SYSTEM_RAM), 0); // no game
    ASSERT_TRUE(player.load_game(rom));
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::int64_t rows[][3] = {{0, 16, 1}, {15, 1, 1},    {16, 0, 1},  {15, 2, 0}, {17, 0, 0},
                                    {-1, 1, 0}, {max, max, 0}, {1, max, 0}, {0, -1, 0}};
    for (const auto &[offset, length, inside] : rows) {
        const MemoryView view = player.read_memory(RETRO_MEMORY_SYSTEM_RAM, offset, length);
        EXPECT_EQ(view.data, inside ? core->system_ram + offset : nullptr) << offset;
        if (length >= 0 && length <= 2) { // the same span written, where an array can have it
            const Bytes data(static_cast<std::size_t>(length), 0xEE);
            EXPECT_EQ(player.write_memory(2, offset, data.data(), data.size()), inside != 0);
        }
    }
    EXPECT_EQ(core->system_ram[15], 0xEE);
    EXPECT_EQ(std::count(core->system_ram + 16, core->system_ram + 64, 0), 48);
    EXPECT_EQ(player.memory_size(RETRO_MEMORY_SYSTEM_RAM), 16);
    EXPECT_EQ(player.memory_size(RETRO_MEMORY_RTC), 0);
}

// The audio queue keeps the newest frames in order, wherever its ring stands.
TEST(AudioQueue, KeepsTheNewestFramesInOrderAcrossTheRing) {
    constexpr std::size_t cap = AudioQueue::capacity;
    std::vector<std::int16_t> samples; // frame n carries n over its two samples
    for (std::size_t n = 0; n < cap + 20; ++n) {
        samples.insert(samples.end(), {std::int16_t(n % 30000), std::int16_t(n / 30000)});
    }
    Player player;
    for (std::size_t n = 0; n < 10; ++n) {
        audio_sample_callback(player, samples[2 * n], samples[2 * n + 1]);
    }
    std::vector<std::size_t> popped;
    const auto take = [&](std::int32_t max) {
        return player.pop_audio_frames(max, [&](std::size_t, const StereoFrame &frame) {
            popped.push_back(std::size_t(frame.left * 32768) +
                             30000 * std::size_t(frame.right * 32768));
        });
    };
    EXPECT_EQ(take(-1) + take(4), 4u);
    // A batch larger than the cap keeps only its own newest frames.
    EXPECT_EQ(audio_sample_batch_callback(player, samples.data() + 20, cap + 3), cap + 3);
    EXPECT_EQ(audio_sample_batch_callback(player, nullptr, 5), 0u);
    audio_sample_callback(player, samples[2 * (cap + 13)], samples[2 * (cap + 13) + 1]);
    EXPECT_EQ(take(1 << 30), cap);
    ASSERT_EQ(popped.size(), cap + 4);
    for (std::size_t i = 0; i < popped.size(); ++i) {
        ASSERT_EQ(popped[i], i < 4 ? i : i + 10) << i;
    }
}

} // namespace
} // namespace tovarune::testing
