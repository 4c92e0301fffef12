// File faults while a save RAM or state file is replaced: whatever fails, the
// previous file stays byte for byte and no temporary file is left behind.

#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>

namespace tovarune::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

enum class Fault { directory_in_the_way, rename_refused, read_only_directory, write_cut_short };

std::string fault_name(const ::testing::TestParamInfo<Fault> &info) {
    switch (info.param) {
    case Fault::directory_in_the_way:
        return "DirectoryInTheWay";
    case Fault::rename_refused:
        return "RenameRefused";
    case Fault::read_only_directory:
        return "ReadOnlyDirectory";
    case Fault::write_cut_short:
        return "WriteCutShort";
    }
    return "Unknown";
}

// The immutable attribute binds root too: an immutable file cannot be
// replaced, an immutable directory takes no new entries.
bool set_immutable(const std::string &path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

// Every entry under `dir`, directories with a trailing slash, files with
// their bytes.
std::map<std::string, Bytes> contents(const std::string &dir) {
    std::map<std::string, Bytes> entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(path_of(dir), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = utf8_of(it->path().lexically_relative(path_of(dir)));
        if (it->is_directory(ec)) {
            entries[name + "/"];
        } else {
            entries[name] = read_bytes(utf8_of(it->path()));
        }
    }
    return entries;
}

class FileFault : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        core->save_ram_size = 64;
        std::memset(core->save_ram, 0x11, 64);
        for (std::size_t i = 0; i < sizeof core->state; ++i) {
            core->state[i] = static_cast<std::uint8_t>(i);
        }
        write_bytes(dir.path("game.sfc"), {1, 2, 3});
        player.set_paths("", dir.path("saves"));
        write_bytes(srm(), old_srm);
        std::error_code ec;
        fs::create_directory(path_of(states()), ec);
        write_bytes(state(), old_state);
        ASSERT_TRUE(player.load_core(core.path()));
        ASSERT_TRUE(player.load_game(dir.path("game.sfc")));
        ASSERT_EQ(Bytes(core->save_ram, core->save_ram + 64), old_srm);
        std::memset(core->save_ram, 0x22, 64);
    }
    void TearDown() override { undo(); }

    std::string saves() const { return dir.path("saves"); }
    std::string srm() const { return dir.path("saves/game.srm"); }
    std::string states() const { return dir.path("states"); }
    std::string state() const { return dir.path("states/slot.state"); }

    // Puts the fault on `target`, a file in `directory`; an empty answer when
    // it is in place, otherwise why this process cannot arrange it.
    std::string arrange(const std::string &directory, const std::string &target) {
        switch (GetParam()) {
        case Fault::directory_in_the_way: {
            std::error_code ec;
            fs::remove(path_of(target), ec);
            fs::create_directory(path_of(target), ec);
            write_bytes(target + "/inside", {5});
            return "";
        }
        case Fault::rename_refused:
            return lock(target) ? "" : "making a file immutable needs CAP_LINUX_IMMUTABLE";
        case Fault::read_only_directory:
            if (lock(directory)) {
                return "";
            }
            if (geteuid() == 0) {
                return "root ignores permissions and cannot set the immutable attribute here";
            }
            chmod(directory.c_str(), 0555);
            undo_.push_back([directory] { chmod(directory.c_str(), 0755); });
            return "";
        case Fault::write_cut_short: {
            // Writes past 16 bytes fail, as on a full disk.
            auto limit = std::make_shared<FileSizeLimit>(16);
            undo_.push_back([limit]() mutable { limit.reset(); });
            return "";
        }
        }
        return "unknown fault";
    }

    bool lock(const std::string &path) {
        if (!set_immutable(path, true)) {
            return false;
        }
        undo_.push_back([path] { set_immutable(path, false); });
        return true;
    }

    void undo() {
        while (!undo_.empty()) {
            undo_.back()();
            undo_.pop_back();
        }
    }

    const Bytes old_srm = Bytes(64, 0x0A);
    const Bytes old_state = Bytes{0xAA, 0xBB, 0xCC};
    FakeCore core;
    TempDir dir;
    Player player;
    std::vector<std::function<void()>> undo_;
};

class SaveRamFault : public FileFault {};
class StateFault : public FileFault {};

TEST_P(SaveRamFault, TheOldFileOutlivesAFailedStoreAtUnload) {
    const std::string why_not = arrange(saves(), srm());
    if (!why_not.empty()) {
        GTEST_SKIP() << why_not;
    }
    const auto before = contents(saves());
    player.unload_game();
    undo();
    EXPECT_FALSE(player.is_game_loaded());
    EXPECT_EQ(player.last_error(), "");
    EXPECT_EQ(contents(saves()), before);
    if (GetParam() == Fault::directory_in_the_way) {
        return;
    }
    EXPECT_EQ(read_bytes(srm()), old_srm);
    // With the fault gone the file is read and replaced as usual.
    ASSERT_TRUE(player.load_game(dir.path("game.sfc")));
    EXPECT_EQ(Bytes(core->save_ram, core->save_ram + 64), old_srm);
    std::memset(core->save_ram, 0x33, 64);
    player.unload_game();
    EXPECT_EQ(read_bytes(srm()), Bytes(64, 0x33));
}

TEST_P(StateFault, TheOldFileOutlivesAFailedSave) {
    const std::string why_not = arrange(states(), state());
    if (!why_not.empty()) {
        GTEST_SKIP() << why_not;
    }
    const auto before = contents(states());
    EXPECT_FALSE(player.save_state(state()));
    undo();
    EXPECT_TRUE(player.is_game_loaded());
    EXPECT_EQ(contents(states()), before);
    if (GetParam() == Fault::directory_in_the_way) {
        return;
    }
    EXPECT_EQ(read_bytes(state()), old_state);
    ASSERT_TRUE(player.save_state(state()));
    EXPECT_EQ(read_bytes(state()), Bytes(core->state, core->state + 16));
}

INSTANTIATE_TEST_SUITE_P(Faults, SaveRamFault,
                         ::testing::Values(Fault::directory_in_the_way, Fault::rename_refused,
                                           Fault::read_only_directory, Fault::write_cut_short),
                         fault_name);
// A state write cut short is covered with the other save-state failures.
INSTANTIATE_TEST_SUITE_P(Faults, StateFault,
                         ::testing::Values(Fault::directory_in_the_way, Fault::rename_refused,
                                           Fault::read_only_directory),
                         fault_name);

} // namespace
} // namespace tovarune::testing
