#include "callbacks.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace tovarune::testing {
namespace {

using Strings = std::vector<std::string>;

constexpr unsigned experimental = RETRO_ENVIRONMENT_EXPERIMENTAL;

class Environment : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(player.load_core(core.path())); }

    // Declares `entries` (a null key is appended) through the callback.
    static void declare(std::vector<retro_variable> entries) {
        entries.push_back({nullptr, nullptr});
        ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES, entries.data()));
    }
    // What the core reads for `key`, or "<null>".
    static std::string variable(const char *key, bool expect_found = true) {
        retro_variable v{key, "sentinel"};
        EXPECT_EQ(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &v), expect_found) << key;
        return v.value != nullptr ? v.value : "<null>";
    }
    static const char *directory(unsigned command) {
        const char *answer = "sentinel";
        EXPECT_TRUE(environment_callback(command, &answer));
        return answer;
    }

    FakeCore core;
    TempDir dir;
    Player player;
};

TEST_F(Environment, RefusesEveryOtherNumberWithoutTouchingData) {
    const std::set<unsigned> answered{3, 8, 9, 10, 11, 15, 16, 17, 18, 30, 31, 35, 39};
    declare({{"k", "a|b"}});
    ASSERT_TRUE(player.options().set("k", "b"));
    for (unsigned high : {0u, experimental, 0x20000u, 0x30000u, 0x80000000u}) {
        for (unsigned number = 0; number < 128; ++number) {
            if (answered.count(number) != 0 && (high == 0 || high == experimental)) {
                continue;
            }
            unsigned char data[64];
            std::memset(data, 0xAB, sizeof data);
            EXPECT_FALSE(environment_callback(number | high, data)) << (number | high);
            EXPECT_EQ(std::count(data, data + sizeof data, 0xAB), 64) << (number | high);
        }
    }
    EXPECT_EQ(player.options().size(), 1u);
    EXPECT_TRUE(player.options().updated());
    EXPECT_EQ(player.pixel_format(), static_cast<unsigned>(RETRO_PIXEL_FORMAT_0RGB1555));
}

TEST_F(Environment, AnswersFlagsAndAcknowledgementsWithOrWithoutTheExperimentalBit) {
    for (unsigned high : {0u, experimental}) {
        bool dupe = false;
        EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_CAN_DUPE | high, &dupe));
        EXPECT_TRUE(dupe);
        unsigned language = 77;
        EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_LANGUAGE | high, &language));
        EXPECT_EQ(language, static_cast<unsigned>(RETRO_LANGUAGE_ENGLISH));
        for (unsigned command : {8u, 11u, 18u, 35u}) {
            unsigned char data[16];
            std::memset(data, 0xAB, sizeof data);
            EXPECT_TRUE(environment_callback(command | high, data)) << command;
            EXPECT_EQ(std::count(data, data + sizeof data, 0xAB), 16) << command;
            EXPECT_TRUE(environment_callback(command | high, nullptr)) << command;
        }
    }
}

TEST_F(Environment, NullStorageIsRefusedAndChangesNothing) {
    player.set_paths(dir.path("sys"), dir.path("save"));
    declare({{"k", "a|b"}});
    ASSERT_TRUE(player.options().set("k", "b"));
    for (unsigned command : {3u, 9u, 10u, 15u, 17u, 30u, 31u, 39u}) {
        EXPECT_FALSE(environment_callback(command, nullptr)) << command;
    }
    EXPECT_TRUE(player.options().updated());
    EXPECT_EQ(player.pixel_format(), static_cast<unsigned>(RETRO_PIXEL_FORMAT_0RGB1555));
    retro_variable no_key{nullptr, "sentinel"};
    EXPECT_FALSE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &no_key));
    EXPECT_STREQ(no_key.value, "sentinel");
    // A null declaration still empties the store and its flag.
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES, nullptr));
    EXPECT_EQ(player.options().size(), 0u);
    EXPECT_FALSE(player.options().updated());
}

TEST_F(Environment, PixelFormatKeepsTheLastAcceptedValue) {
    unsigned format = RETRO_PIXEL_FORMAT_RGB565;
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format));
    for (unsigned bad : {3u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(environment_callback(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &bad));
    }
    EXPECT_EQ(player.pixel_format(), 2u);
    format = RETRO_PIXEL_FORMAT_XRGB8888;
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format));
    EXPECT_EQ(player.pixel_format(), 1u);
}

TEST_F(Environment, DirectoriesPointIntoThePlayersOwnText) {
    for (unsigned command : {9u, 30u, 31u}) {
        EXPECT_EQ(directory(command), nullptr) << command;
    }
    const std::string system = dir.path("sist\xC3\xAAma/"), save = dir.path("saves");
    player.set_paths(system, save);
    const char *old_system = directory(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY);
    EXPECT_EQ(old_system, system);
    EXPECT_EQ(old_system, player.system_directory());
    EXPECT_EQ(directory(RETRO_ENVIRONMENT_GET_CORE_ASSETS_DIRECTORY), old_system);
    EXPECT_EQ(directory(RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY), save);
    // A core may keep the pointer it was given while it stays loaded.
    player.set_paths(dir.path("other"), save);
    EXPECT_EQ(old_system, system);
    EXPECT_EQ(directory(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY), dir.path("other"));
    player.set_paths("", "");
    for (unsigned command : {9u, 30u, 31u}) {
        EXPECT_EQ(directory(command), nullptr) << command;
    }
}

FakeCoreControl *live_core;
bool answered_in_set_environment, answered_in_deinit;
std::string system_seen_in_init;

TEST_F(Environment, IsLiveFromSetEnvironmentThroughDeinitOnly) {
    player.unload_core();
    player.set_paths(dir.path("sys"), "");
    live_core = &core.control();
    core->hook = [](const char *entry) {
        const std::string name = entry;
        FakeCoreControl &c = *live_core;
        unsigned format = RETRO_PIXEL_FORMAT_RGB565;
        bool dupe = false;
        const char *system = nullptr;
        if (name == "retro_set_environment") {
            answered_in_set_environment =
                c.environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format);
        } else if (name == "retro_init") {
            c.environment(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, &system);
            system_seen_in_init = system != nullptr ? system : "<null>";
        } else if (name == "retro_deinit") {
            answered_in_deinit = c.environment(RETRO_ENVIRONMENT_GET_CAN_DUPE, &dupe) && dupe;
        }
    };
    ASSERT_TRUE(player.load_core(core.path()));
    player.unload_core();
    core->hook = nullptr;
    EXPECT_TRUE(answered_in_set_environment);
    EXPECT_EQ(player.pixel_format(), 2u);
    EXPECT_EQ(system_seen_in_init, dir.path("sys"));
    EXPECT_TRUE(answered_in_deinit);
    bool dupe = false;
    EXPECT_FALSE(environment_callback(RETRO_ENVIRONMENT_GET_CAN_DUPE, &dupe));
    EXPECT_FALSE(dupe);
}

struct Declaration {
    const char *value;
    Strings choices; // empty: the key is not registered
};

TEST_F(Environment, DeclarationsSplitIntoChoices) {
    const Declaration cases[] = {
        {"Speed; fast|normal|slow", {"fast", "normal", "slow"}},
        {"fast|slow", {"fast", "slow"}},
        {"Mode; a;b|c", {"a;b", "c"}},
        {"D;  a | b |c", {"a ", " b ", "c"}},
        {"   a|b", {"a", "b"}},
        {"D;\ta|b", {"\ta", "b"}},
        {"D; ||a||b|", {"a", "b"}},
        {"D;   ", {}},
        {"D;", {}},
        {"", {}},
    };
    for (const Declaration &c : cases) {
        declare({{"k", c.value}});
        const Strings *choices = player.options().choices("k");
        if (c.choices.empty()) {
            EXPECT_EQ(choices, nullptr) << c.value;
            EXPECT_EQ(variable("k", false), "<null>");
            EXPECT_TRUE(player.options().sorted_keys().empty());
        } else {
            ASSERT_NE(choices, nullptr) << c.value;
            EXPECT_EQ(*choices, c.choices) << c.value;
            EXPECT_EQ(variable("k"), c.choices.front()) << c.value;
        }
    }
}

TEST_F(Environment, DeclarationArraysEndAtANullValueAndLaterKeysWin) {
    declare({{"a", "1|2"}, {"b", "x"}, {"c", nullptr}, {"d", "y"}});
    EXPECT_EQ(player.options().sorted_keys(), (Strings{"a", "b"}));
    declare({{"k", "1|2"}, {"k", "3|4"}});
    EXPECT_EQ(*player.options().choices("k"), (Strings{"3", "4"}));
    EXPECT_EQ(variable("k"), "3");
    declare({{"k", "1|2"}, {"k", "D; "}});
    EXPECT_EQ(*player.options().choices("k"), (Strings{"1", "2"}));
}

TEST_F(Environment, VariablesAreReadFromTheStoreAndUpdatesReadAndCleared) {
    declare({{"video", "V; on|off"}, {"audio", "A; hi|lo"}});
    retro_variable v{"video", nullptr};
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &v));
    EXPECT_EQ(v.value, player.options().value("video")->c_str());
    EXPECT_EQ(variable("Video", false), "<null>");
    EXPECT_EQ(variable("missing", false), "<null>");

    ASSERT_TRUE(player.options().set("video", "off"));
    EXPECT_EQ(variable("video"), "off");
    bool updated = false;
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
    EXPECT_TRUE(updated);
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
    EXPECT_FALSE(updated);

    // A new declaration drops script choices and keys not declared again.
    ASSERT_TRUE(player.options().set("audio", "lo"));
    declare({{"video", "V; on|off"}});
    EXPECT_EQ(player.options().sorted_keys(), (Strings{"video"}));
    EXPECT_EQ(variable("video"), "on");
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
    EXPECT_FALSE(updated);
}

} // namespace
} // namespace tovarune::testing
