// Sizes a core or a file names that no allocation can hold: each must fail
// the one operation, not end the game, and lose nothing.

#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace tovarune::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

constexpr std::uintmax_t one_tib = std::uintmax_t{1} << 40;

// Caps the address space a few GiB above what the process maps already, so
// that the sizes below cannot be had whatever the kernel's overcommit policy.
class AddressSpaceCap {
public:
    AddressSpaceCap() {
        getrlimit(RLIMIT_AS, &old_);
        std::ifstream status("/proc/self/status");
        std::string word;
        rlim_t mapped_kib = 0;
        while (status >> word) {
            if (word == "VmSize:") {
                status >> mapped_kib;
                break;
            }
        }
        if (mapped_kib > 0) {
            rlimit cap = old_;
            cap.rlim_cur = std::min(old_.rlim_cur, mapped_kib * 1024 + (rlim_t{4} << 30));
            setrlimit(RLIMIT_AS, &cap);
        }
    }
    ~AddressSpaceCap() { setrlimit(RLIMIT_AS, &old_); }
    AddressSpaceCap(const AddressSpaceCap &) = delete;
    AddressSpaceCap &operator=(const AddressSpaceCap &) = delete;

private:
    rlimit old_{};
};

std::uintmax_t size_of(const std::string &path) {
    std::error_code ec;
    return fs::file_size(path_of(path), ec);
}

template <typename Act> bool capped(Act act) {
    AddressSpaceCap cap;
    return act();
}

Strings sorted_entries(const std::string &path) {
    Strings names = directory_entries(path);
    std::sort(names.begin(), names.end());
    return names;
}

class Oversized : public ::testing::Test {
protected:
    void SetUp() override {
        core->save_ram_size = 8;
        core->av_info.timing.fps = 50.0;
        write_bytes(dir.path("game.sfc"), {1, 2, 3});
        write_bytes(dir.path("old.state"), {0xAA, 0xBB});
        player.set_paths("", dir.path("saves"));
        ASSERT_TRUE(player.load_core(core.path()));
        ASSERT_TRUE(player.load_game(dir.path("game.sfc")));
    }

    bool called(const std::string &entry) const {
        const auto calls = core.calls();
        return std::find(calls.begin(), calls.end(), entry) != calls.end();
    }

    // A file that claims `size` bytes but occupies almost no disk.
    void make_sparse(const std::string &path, std::uintmax_t size) {
        write_bytes(path, {0x5A});
        std::error_code ec;
        fs::resize_file(path_of(path), size, ec);
        ASSERT_FALSE(ec) << ec.message();
    }

    FakeCore core;
    TempDir dir;
    Player player;
};

TEST_F(Oversized, AbsurdSerializeSizesFailTheSaveAndTouchNoFile) {
    const Strings before = sorted_entries(dir.path());
    for (const std::size_t size : {SIZE_MAX, SIZE_MAX / 2, std::size_t{one_tib}}) {
        SCOPED_TRACE(size);
        core->serialize_size = size;
        core.clear_calls();
        EXPECT_FALSE(capped([&] { return player.save_state(dir.path("old.state")); }));
        EXPECT_FALSE(called("retro_serialize"));
        EXPECT_EQ(read_bytes(dir.path("old.state")), (Bytes{0xAA, 0xBB}));
        EXPECT_EQ(sorted_entries(dir.path()), before);
    }
    core->serialize_size = 16;
    EXPECT_TRUE(player.save_state(dir.path("old.state")));
    EXPECT_EQ(read_bytes(dir.path("old.state")).size(), 16u);
}

TEST_F(Oversized, AStateFileTooLargeToHoldIsNotHandedToTheCore) {
    const std::string huge = dir.path("huge.state");
    ASSERT_NO_FATAL_FAILURE(make_sparse(huge, one_tib));
    core.clear_calls();
    EXPECT_FALSE(capped([&] { return player.load_state(huge); }));
    EXPECT_FALSE(called("retro_unserialize"));
    EXPECT_EQ(size_of(huge), one_tib);
    EXPECT_TRUE(player.is_game_loaded());
    EXPECT_EQ(player.last_error(), "");
    EXPECT_TRUE(player.load_state(dir.path("old.state")));
}

TEST_F(Oversized, ARomTooLargeToHoldFailsTheLoadAndTheNextLoadWorks) {
    const std::string huge = dir.path("huge.sfc");
    ASSERT_NO_FATAL_FAILURE(make_sparse(huge, one_tib));
    core->save_ram[0] = 0x42;
    core.clear_calls();
    EXPECT_FALSE(capped([&] { return player.load_game(huge); }));
    EXPECT_EQ(player.last_error(), "A ROM esta vazia ou nao pode ser lida.");
    EXPECT_TRUE(player.is_core_loaded());
    EXPECT_FALSE(player.is_game_loaded());
    EXPECT_FALSE(called("retro_load_game"));
    EXPECT_EQ(player.fps(), 50.0);
    // The game that ran was let go first, with its save RAM written.
    EXPECT_EQ(read_bytes(dir.path("saves/game.srm")), (Bytes{0x42, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(player.save_state(dir.path("old.state")));
    EXPECT_EQ(read_bytes(dir.path("old.state")), (Bytes{0xAA, 0xBB}));

    ASSERT_TRUE(player.load_game(dir.path("game.sfc")));
    EXPECT_EQ(player.last_error(), "");
    EXPECT_EQ(core->game_size, 3u);
    EXPECT_EQ(size_of(huge), one_tib);
}

} // namespace
} // namespace tovarune::testing
