// The environment callback: its answers, the directories and the options.
#include "callbacks.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

using Strings = std::vector<std::string>;

class Environment : public ::testing::Test {
protected:
    void SetUp() override { active_player = &player; }
    void TearDown() override { active_player = nullptr; }

    TempDir dir;
    Player player;
};

TEST_F(Environment, AnswersWhatItKnowsAndLeavesTheRestAlone) {
    const std::string system = dir.path("sist\xC3\xAAma"), save = dir.path("saves");
    player.set_paths(system, save);
    const unsigned experimental = RETRO_ENVIRONMENT_EXPERIMENTAL;
    const struct {
        unsigned command;
        bool answered;
        std::uint64_t value; // what lands in the storage, which starts as all ones
    } cases[] = {
        {RETRO_ENVIRONMENT_GET_CAN_DUPE, true, 0xFFFFFFFFFFFFFF01},
        {RETRO_ENVIRONMENT_GET_CAN_DUPE | experimental, true, 0xFFFFFFFFFFFFFF01},
        {RETRO_ENVIRONMENT_GET_LANGUAGE, true, 0xFFFFFFFF00000000 | RETRO_LANGUAGE_ENGLISH},
        {RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, true,
         reinterpret_cast<std::uintptr_t>(player.system_directory())},
        {RETRO_ENVIRONMENT_GET_CORE_ASSETS_DIRECTORY, true,
         reinterpret_cast<std::uintptr_t>(player.system_directory())},
        {RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, true,
         reinterpret_cast<std::uintptr_t>(player.save_directory())},
        {RETRO_ENVIRONMENT_SET_PERFORMANCE_LEVEL, true, ~0ull},
        {RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, true, ~0ull},
        {RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, true, ~0ull},
        {RETRO_ENVIRONMENT_SET_CONTROLLER_INFO, true, ~0ull},
        {RETRO_ENVIRONMENT_GET_LOG_INTERFACE, false, ~0ull},
        {RETRO_ENVIRONMENT_SET_HW_RENDER, false, ~0ull},
        {0, false, ~0ull},
    };
    for (const auto &c : cases) {
        std::uint64_t storage = ~0ull;
        EXPECT_EQ(environment_callback(c.command, &storage), c.answered) << c.command;
        EXPECT_EQ(storage, c.value) << c.command;
        if (c.value != ~0ull) {
            EXPECT_FALSE(environment_callback(c.command, nullptr)) << c.command;
        }
    }
    EXPECT_STREQ(player.system_directory(), system.c_str());
    EXPECT_STREQ(player.save_directory(), save.c_str());
    player.set_paths("", "");
    const char *directory = "untouched";
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, &directory));
    EXPECT_EQ(directory, nullptr);

    for (const unsigned format : {2u, 1u, 3u, 0u}) {
        const bool known = format <= RETRO_PIXEL_FORMAT_RGB565;
        EXPECT_EQ(environment_callback(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, (void *)&format), known);
        EXPECT_EQ(player.pixel_format(), format == 3 ? 1u : format);
    }
    active_player = nullptr;
    bool untouched = false;
    EXPECT_FALSE(environment_callback(RETRO_ENVIRONMENT_GET_CAN_DUPE, &untouched));
    EXPECT_FALSE(untouched);
}

TEST_F(Environment, OptionsAreDeclaredReadSetAndReported) {
    const retro_variable declared[] = {{"speed", "Speed; fast|normal"},
                                       {"\xC3\xA9", "E;  a;b||c|"},
                                       {"Mode", "x|y"},
                                       {"empty", "Empty; "},
                                       {"speed", "Again; slow"},
                                       {"cut", nullptr},
                                       {"after", "A; one"},
                                       {nullptr, nullptr}};
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES, (void *)declared));
    OptionsStore &options = player.options();
    // Unsigned byte order; a later entry for a key wins; a null value ends the list.
    EXPECT_EQ(options.sorted_keys(), (Strings{"Mode", "speed", "\xC3\xA9"}));
    EXPECT_EQ(*options.choices("\xC3\xA9"), (Strings{"a;b", "c"}));
    EXPECT_EQ(*options.choices("Mode"), (Strings{"x", "y"}));

    retro_variable asked{"\xC3\xA9", nullptr};
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &asked));
    EXPECT_EQ(asked.value, options.value("\xC3\xA9")->c_str());
    EXPECT_STREQ(asked.value, "a;b");
    retro_variable unknown{"MODE", "stale"};
    EXPECT_FALSE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &unknown));
    EXPECT_EQ(unknown.value, nullptr);

    bool updated = true;
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
    EXPECT_FALSE(updated);
    for (const auto &[key, value] : {std::pair{"Mode", "X"},
                                     {"Mode", "x "},
                                     {"MODE", "y"},
                                     {"speed", "fast"},
                                     {"empty", ""}}) {
        EXPECT_FALSE(options.set(key, value)) << key << value;
    }
    EXPECT_TRUE(options.set("Mode", "y"));
    EXPECT_EQ(*options.value("Mode"), "y");
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
    EXPECT_TRUE(updated);
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
    EXPECT_FALSE(updated);

    options.set("Mode", "x");
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES, nullptr));
    EXPECT_EQ(options.size(), 0u);
    EXPECT_FALSE(options.updated());
}

} // namespace
} // namespace tovarune::testing
