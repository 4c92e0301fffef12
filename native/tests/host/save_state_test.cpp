#include "callbacks.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

namespace tovarune::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SaveStates : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(start()); }
    void start() {
        core->accept_game = true;
        core->serialize_size = 16;
        core->serialize_result = true;
        core->unserialize_result = true;
        for (std::size_t i = 0; i < sizeof core->state; ++i) {
            core->state[i] = static_cast<std::uint8_t>(i + 1);
        }
        write_bytes(path("game.sfc"), {1, 2, 3});
        write_bytes(path("old.state"), {0xAA, 0xBB});
        write_bytes(path("empty.state"), {});
        std::filesystem::create_directory(path_of(path("sub")));
        ASSERT_TRUE(player.load_core(core.path()));
        ASSERT_TRUE(player.load_game(path("game.sfc")));
    }
    std::string path(const std::string &name) { return dir.path(name); }
    Bytes state(std::size_t size) { return Bytes(core->state, core->state + size); }
    bool core_called(const char *entry) {
        const auto calls = core.calls();
        return std::find(calls.begin(), calls.end(), std::string(entry)) != calls.end();
    }
    // Names and contents of everything in the directory.
    std::set<std::pair<std::string, Bytes>> snapshot() {
        std::set<std::pair<std::string, Bytes>> files;
        for (const std::string &name : directory_entries(dir.path())) {
            std::error_code ec;
            const bool directory = std::filesystem::is_directory(path_of(path(name)), ec);
            files.emplace(name, directory ? Bytes{} : read_bytes(path(name)));
        }
        return files;
    }

    FakeCore core;
    TempDir dir;
    Player player;
};

TEST_F(SaveStates, SaveWritesTheWholeZeroFilledBufferAskingTheSizeEachTime) {
    ASSERT_TRUE(player.save_state(path("old.state")));
    EXPECT_EQ(read_bytes(path("old.state")), state(16));
    core->serialize_size = 100;
    ASSERT_TRUE(player.save_state(path("old.state")));
    Bytes expected = state(64);
    expected.resize(100, 0);
    EXPECT_EQ(read_bytes(path("old.state")), expected);
    core->serialize_size = 3;
    ASSERT_TRUE(player.save_state(path("old.state")));
    EXPECT_EQ(read_bytes(path("old.state")), state(3));
}

TEST_F(SaveStates, LoadHandsTheWholeFileToTheCoreAndReturnsItsAnswer) {
    audio_sample_callback(1, 1);
    for (const std::size_t size : {5u, 16u, 100u}) {
        for (const bool accepted : {true, false}) {
            core->unserialize_result = accepted;
            Bytes file(size);
            for (std::size_t i = 0; i < size; ++i) {
                file[i] = static_cast<std::uint8_t>(200 - i);
            }
            write_bytes(path("s.state"), file);
            EXPECT_EQ(player.load_state(path("s.state")), accepted) << size;
            EXPECT_EQ(core->unserialized_size, size);
            file.resize(std::min<std::size_t>(size, 64));
            EXPECT_EQ(Bytes(core->unserialized, core->unserialized + file.size()), file);
        }
    }
    EXPECT_EQ(player.queued_audio_frames(), 1u);
    EXPECT_TRUE(player.last_error().empty());
}

TEST_F(SaveStates, NonAsciiPathsNameTheFileExactly) {
    // "estados" with an accented a, and the kanji for "state".
    const std::string name = "est\xC3\xA1"
                             "do \xE7\x8A\xB6\xE6\x85\x8B.state";
    ASSERT_TRUE(player.save_state(path(name)));
    EXPECT_EQ(read_bytes(path(name)), state(16));
    ASSERT_TRUE(player.load_state(path(name)));
    EXPECT_EQ(core->unserialized_size, 16u);
}

struct Failure {
    const char *name;
    std::function<void()> arrange;
    std::function<bool()> act;
    bool core_asked_to_restore;
};

TEST_F(SaveStates, FailuresTouchNoFileAndLeaveLastErrorAlone) {
    const std::string old = path("old.state");
    const auto save = [&](std::string to) { return [&, to] { return player.save_state(to); }; };
    const auto load = [&](std::string from) {
        return [&, from] { return player.load_state(from); };
    };
    const auto refuse_game = [&] {
        core->accept_game = false;
        EXPECT_FALSE(player.load_game(path("game.sfc")));
    };
    const Failure failures[] = {
        {"save without a game", [&] { player.unload_game(); }, save(old), false},
        {"save after a refused game", refuse_game, save(path("new.state")), false},
        {"save without a core", [&] { player.unload_core(); }, save(old), false},
        {"size 0", [&] { core->serialize_size = 0; }, save(old), false},
        {"serialize fails", [&] { core->serialize_result = false; }, save(old), false},
        {"save into a missing directory", [] {}, save(path("none/new.state")), false},
        {"save to an empty path", [] {}, save(""), false},
        {"save onto a directory", [] {}, save(path("sub")), false},
#ifndef _WIN32
        {"write fails", [&] { core->serialize_size = 2000; },
         [&] { return with_file_size_limit(1024, [&] { return player.save_state(old); }); }, false},
#endif
        {"load without a game", [&] { player.unload_game(); }, load(old), false},
        {"load after a refused game", refuse_game, load(old), false},
        {"load a missing file", [] {}, load(path("none.state")), false},
        {"load from a missing directory", [] {}, load(path("none/old.state")), false},
        {"load an empty path", [] {}, load(""), false},
        {"load a directory", [] {}, load(path("sub")), false},
        {"load an empty file", [] {}, load(path("empty.state")), false},
        {"core rejects", [&] { core->unserialize_result = false; }, load(old), true},
    };
    for (const Failure &failure : failures) {
        SCOPED_TRACE(failure.name);
        ASSERT_NO_FATAL_FAILURE(start());
        failure.arrange();
        core.clear_calls();
        const auto before = snapshot();
        const std::string error = player.last_error();
        EXPECT_FALSE(failure.act());
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(player.last_error(), error);
        EXPECT_EQ(core_called("retro_unserialize"), failure.core_asked_to_restore);
    }
}

} // namespace
} // namespace tovarune::testing
