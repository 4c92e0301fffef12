// The disc tray a core of several discs hands over.
#include "core/callbacks.h"
#include "core/core_call.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

// A tray of three discs, as a core keeps it; `log` tells what it was asked.
struct Tray {
    bool ejected = false;
    unsigned index = 0, count = 3;
    std::string log, added;
} tray;

void note(const std::string &call) {
    tray.log += call + " ";
    EXPECT_TRUE(CoreCall::under_way()) << call;
}
bool set_eject(bool ejected) {
    note(ejected ? "eject" : "insert");
    tray.ejected = ejected;
    return true;
}
bool get_eject() { return tray.ejected; }
unsigned get_index() { return tray.index; }
bool set_index(unsigned index) {
    note("set " + std::to_string(index));
    tray.index = index;
    return tray.ejected;
}
unsigned get_count() { return tray.count; }
bool replace(unsigned index, const retro_game_info *info) {
    note("replace " + std::to_string(index));
    tray.added = info != nullptr && info->path != nullptr ? info->path : "null";
    return index < tray.count;
}
bool add() {
    note("add");
    ++tray.count;
    return true;
}
bool label(unsigned index, char *text, size_t length) {
    return std::snprintf(text, length, "Disco %u", index + 1) > 0 && index != 1;
}

TEST(Discs, TheTrayIsWorkedAsTheReferenceFrontendDoes) {
    FakeCore core;
    TempDir dir;
    const std::string rom = dir.path("game.cue");
    write_bytes(rom, {1});
    Player player;
    const retro_disk_control_ext_callback ext{set_eject, get_eject, get_index, set_index, get_count,
                                              replace,   add,       nullptr,   nullptr,   label};
    const retro_disk_control_callback basic{set_eject, get_eject, get_index, set_index,
                                            get_count, replace,   add};
    unsigned version = 0;
    ASSERT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_GET_DISK_CONTROL_INTERFACE_VERSION,
                                     &version));
    EXPECT_EQ(version, 1u);
    for (const bool extended : {true, false}) {
        tray = Tray{};
        ASSERT_TRUE(as_core(
            "retro_init",
            [&] {
                if (extended) {
                    core->environment(RETRO_ENVIRONMENT_SET_DISK_CONTROL_EXT_INTERFACE,
                                      (void *)&ext);
                } else {
                    core->environment(RETRO_ENVIRONMENT_SET_DISK_CONTROL_INTERFACE, (void *)&basic);
                }
            },
            [&] { return player.load_core(core.path()); }));
        // Nothing reaches the core without a game.
        EXPECT_FALSE(player.set_disk_index(1) || player.set_disk_ejected(true) ||
                     player.add_disk(rom) || player.disk_count() != 0 ||
                     player.disk_label(0) != "");
        ASSERT_TRUE(player.load_game(rom));
        // clang-format off
        const std::tuple<std::function<bool()>, bool, std::string, unsigned> steps[] = { // act, result, calls, index
            {[&] { return player.set_disk_index(2); }, true, "eject set 2 insert ", 2},
            {[&] { return player.set_disk_index(3) || player.set_disk_index(-1); }, false, "", 2},
            {[&] { return player.set_disk_ejected(true) && player.disk_ejected(); }, true, "eject ", 2},
            {[&] { return player.set_disk_index(0) && player.disk_ejected(); }, true, "set 0 ", 0},
            {[&] { return player.add_disk(dir.path("disc 4.bin")) && player.disk_count() == 4; }, true, "add replace 3 ", 0},
        };
        // clang-format on
        for (const auto &[act, result, calls, index] : steps) {
            tray.log.clear();
            EXPECT_EQ(act(), result) << calls;
            EXPECT_EQ(tray.log, calls);
            EXPECT_EQ(player.disk_index(), index) << calls;
        }
        EXPECT_EQ(tray.added, dir.path("disc 4.bin"));
        EXPECT_EQ(player.disk_label(0) + "|" + player.disk_label(1) + "|" + player.disk_label(4),
                  extended ? "Disco 1||" : "||");
        player.unload_core();
        EXPECT_EQ(player.disk_count(), 0);
    }
}

} // namespace
} // namespace tovarune::testing
