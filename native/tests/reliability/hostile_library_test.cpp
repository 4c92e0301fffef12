// Files at a core path that are no usable core: each is refused with its
// message, nothing of it stays loaded, and a good core loads next.

#include "callbacks.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool all_entry_points_null(const Player &player) {
    bool all_null = true;
    for_each_entry_point(player.core_api(),
                         [&](const auto &slot, const char *) { all_null &= slot == nullptr; });
    return all_null;
}

std::string cannot_load(const std::string &path) {
    return "Nao foi possivel carregar o core Libretro: " + path;
}

// The first `size` bytes of the file at `from`.
void write_prefix(const std::string &from, std::size_t size, const std::string &to) {
    Bytes bytes = read_bytes(from);
    bytes.resize(std::min(size, bytes.size()));
    write_bytes(to, bytes);
}

class HostileLibrary : public ::testing::Test {
protected:
    FakeCore core;
    TempDir dir;
    Player player;
};

TEST_F(HostileLibrary, IsRefusedWithItsMessageAndTheNextCoreLoads) {
    const std::string text = dir.path("text.so"), empty = dir.path("empty.so"),
                      header = dir.path("header.so");
    write_bytes(text, Bytes{'n', 'o', 't', ' ', 'a', ' ', 'c', 'o', 'r', 'e', '\n'});
    write_bytes(empty, {});
    write_prefix(core.path(), 64, header);
    write_bytes(dir.path("game.sfc"), {1, 2, 3});
    const std::pair<std::string, std::string> cases[] = {
        {text, cannot_load(text)},
        {empty, cannot_load(empty)},
        {header, cannot_load(header)},
        {dir.path(), cannot_load(dir.path())},
        // Its retro_init would trap: binding stops before anything is called.
        {fake_core_path("fake_core_only_init"), "Core invalido: faltando retro_deinit"},
    };
    for (const auto &[path, message] : cases) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(player.load_core(path));
        EXPECT_EQ(player.last_error(), message);
        EXPECT_FALSE(player.is_core_loaded());
        EXPECT_FALSE(player.holds_library());
        EXPECT_TRUE(all_entry_points_null(player));
        EXPECT_EQ(active_player, nullptr);

        ASSERT_TRUE(player.load_core(core.path()));
        ASSERT_TRUE(player.load_game(dir.path("game.sfc")));
        core.clear_calls();
        player.run_frame();
        EXPECT_EQ(core.calls(), std::vector<std::string>{"retro_run"});
    }
}

// The loader maps a library's segments straight from the file: one cut short
// inside them faults on first touch (SIGBUS) unless it is refused before.
TEST_F(HostileLibrary, ATruncatedLibraryIsRefusedWithoutEndingTheProcess) {
    const std::string truncated = dir.path("truncated.so");
    // Its headers and symbol tables, but none of its code.
    write_prefix(core.path(), 4096, truncated);
    EXPECT_EXIT(
        {
            Player fresh;
            const bool refused = !fresh.load_core(truncated) &&
                                 fresh.last_error() == cannot_load(truncated) &&
                                 !fresh.holds_library() && fresh.load_core(core.path());
            std::_Exit(refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace tovarune::testing
