// Files a player must not trust: a pipe or a device where a core, a ROM, a
// state or a .srm should be, links in place of saves, names at the file
// system's limit and what a crash in the middle of a save leaves behind.

#include "file_io.h"
#include "test_support.h"

#include <chrono>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

#ifndef _WIN32

TEST(HostileFiles, PipesAndDevicesAreRefusedAtOnceAndKept) {
    TempDir dir;
    const std::string pipe = dir.path("pipe"), srm = dir.path("saves/Game.srm");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    write_bytes(dir.path("Game.sfc"), {1});
    FakeCore core;
    core->save_ram_size = 4;
    alarm(30); // a call that blocks ends the run here rather than hanging it
    for (const std::string &path : {pipe, std::string("/dev/zero")}) {
        const auto start = std::chrono::steady_clock::now();
        Player player;
        EXPECT_FALSE(player.load_core(path));
        EXPECT_EQ(player.last_error(), "Nao foi possivel carregar o core Libretro: " + path);
        ASSERT_TRUE(player.load_core(core.path()));
        EXPECT_FALSE(player.load_game(path));
        EXPECT_EQ(player.last_error(), "Nao foi possivel abrir a ROM.");

        player.set_paths("", dir.path("saves"));
        fs::remove(srm);
        fs::create_symlink(path, srm);
        std::fill_n(core->save_ram, 4, 7);
        ASSERT_TRUE(player.load_game(dir.path("Game.sfc")));
        EXPECT_EQ(Bytes(core->save_ram, core->save_ram + 4), Bytes(4, 7)) << path;
        core.clear_calls();
        EXPECT_FALSE(player.load_state(path));
        EXPECT_EQ(core.calls(), Strings{});
        player.unload_game();
        EXPECT_EQ(fs::read_symlink(srm), path);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }
    EXPECT_FALSE(write_file_atomically(pipe, "x", 1));
    EXPECT_TRUE(fs::is_fifo(pipe));
    alarm(0);
}

TEST(HostileFiles, AtomicWritesReplaceWhatLinksEndAtAndKeepTheLinks) {
    TempDir dir;
    fs::create_directory(dir.path("real"));
    write_bytes(dir.path("real/a"), {9});
    const struct {
        const char *link;
        std::string target, file;
    } links[] = {{"relative", "real/a", "real/a"},
                 {"absolute", dir.path("real/b"), "real/b"},
                 {"chain", "relative", "real/a"},
                 {"dangling", "real/c", "real/c"}};
    for (const auto &l : links) {
        fs::create_symlink(l.target, dir.path(l.link));
        const Bytes data{1, static_cast<std::uint8_t>(l.link[0])};
        ASSERT_TRUE(write_file_atomically(dir.path(l.link), data.data(), 2)) << l.link;
        EXPECT_EQ(fs::read_symlink(dir.path(l.link)), l.target);
        EXPECT_EQ(read_bytes(dir.path(l.file)), data);
    }
    EXPECT_EQ(directory_entries(dir.path("real")).size(), 3u); // a, b, c and nothing else
}

#endif

TEST(HostileFiles, NamesAtTheLimitSaveAndACrashLeavesOneTemporaryForTheNextWrite) {
    std::string accented; // 127 "é", 254 bytes in UTF-8
    for (int i = 0; i < 127; ++i) {
        accented += "\xC3\xA9";
    }
    const Bytes data(100000, 0x5a);
    for (const std::string &name : {std::string("state"), std::string(255, 'n'), accented}) {
        TempDir dir;
        const std::string path = dir.path(name);
#ifndef _WIN32
        for (int crash = 0; crash < 2; ++crash) {
            const pid_t child = fork();
            if (child == 0) { // killed by SIGXFSZ in the middle of the write
                const rlimit none{0, 0}, small{4096, 4096};
                setrlimit(RLIMIT_CORE, &none);
                setrlimit(RLIMIT_FSIZE, &small);
                std::signal(SIGXFSZ, SIG_DFL);
                write_file_atomically(path, data.data(), data.size());
                _exit(0);
            }
            int status = 0;
            waitpid(child, &status, 0);
            EXPECT_TRUE(WIFSIGNALED(status)) << name.size();
        }
        EXPECT_EQ(directory_entries(dir.path()).size(), 1u) << name.size();
#endif
        ASSERT_TRUE(write_file_atomically(path, data.data(), data.size())) << name.size();
        EXPECT_EQ(directory_entries(dir.path()), Strings{name});
        EXPECT_EQ(read_bytes(path), data);
    }
}

} // namespace
} // namespace tovarune::testing
