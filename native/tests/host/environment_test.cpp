// The environment callback: its answers, the directories and the options.
#include "callbacks.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

using Strings = std::vector<std::string>;

TEST(Environment, AnswersWhatItKnowsAndLeavesTheRestAlone) {
    TempDir dir;
    Player player;
    active_player = &player;
    player.set_paths(dir.path("sist\xC3\xAAma"), dir.path("saves"));
    const auto address = [](const char *text) { return reinterpret_cast<std::uintptr_t>(text); };
    const std::uint64_t untouched = ~0ull;
    // clang-format off
    const std::pair<unsigned, std::uint64_t> cases[] = { // what lands in storage that was all ones
        {RETRO_ENVIRONMENT_GET_CAN_DUPE, 0xFFFFFFFFFFFFFF01},
        {RETRO_ENVIRONMENT_GET_CAN_DUPE | RETRO_ENVIRONMENT_EXPERIMENTAL, 0xFFFFFFFFFFFFFF01},
        {RETRO_ENVIRONMENT_GET_LANGUAGE, 0xFFFFFFFF00000000 | RETRO_LANGUAGE_ENGLISH},
        {RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, address(player.system_directory())},
        {RETRO_ENVIRONMENT_GET_CORE_ASSETS_DIRECTORY, address(player.system_directory())},
        {RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, address(player.save_directory())},
        {RETRO_ENVIRONMENT_SET_PERFORMANCE_LEVEL, untouched}, {RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, untouched},
        {RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, untouched}, {RETRO_ENVIRONMENT_SET_CONTROLLER_INFO, untouched},
    };
    // clang-format on
    for (const auto &[command, value] : cases) {
        std::uint64_t storage = untouched;
        EXPECT_TRUE(environment_callback(command, &storage)) << command;
        EXPECT_EQ(storage, value) << command;
        EXPECT_EQ(environment_callback(command, nullptr), value == untouched) << command;
    }
    EXPECT_STREQ(player.system_directory(), dir.path("sist\xC3\xAAma").c_str());
    for (const unsigned command :
         {0, RETRO_ENVIRONMENT_GET_LOG_INTERFACE, RETRO_ENVIRONMENT_SET_HW_RENDER}) {
        std::uint64_t storage = untouched;
        EXPECT_FALSE(environment_callback(command, &storage));
        EXPECT_EQ(storage, untouched);
    }
    player.set_paths("", "");
    const char *directory = "stale";
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, &directory));
    EXPECT_EQ(directory, nullptr);
    for (unsigned format : {2u, 1u, 3u, 0u}) {
        EXPECT_EQ(environment_callback(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format), format != 3);
        EXPECT_EQ(player.pixel_format(), format == 3 ? 1u : format);
    }
    active_player = nullptr;
    EXPECT_FALSE(environment_callback(RETRO_ENVIRONMENT_GET_CAN_DUPE, &directory));
}

TEST(Environment, OptionsAreDeclaredReadAndSetExactly) {
    Player player;
    active_player = &player;
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
    EXPECT_EQ(*options.choices("speed"), Strings{"slow"});
    retro_variable asked{"\xC3\xA9", nullptr}, unknown{"MODE", "stale"};
    ASSERT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &asked));
    EXPECT_EQ(asked.value, options.value("\xC3\xA9")->c_str());
    EXPECT_STREQ(asked.value, "a;b");
    EXPECT_FALSE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &unknown));
    EXPECT_EQ(unknown.value, nullptr);

    for (const auto &[key, value] :
         {std::pair{"Mode", "X"}, {"Mode", "x "}, {"MODE", "y"}, {"empty", ""}}) {
        EXPECT_FALSE(options.set(key, value)) << key << value;
    }
    EXPECT_FALSE(options.updated());
    EXPECT_TRUE(options.set("Mode", "y"));
    EXPECT_EQ(*options.value("Mode"), "y");
    for (const bool expected : {true, false}) {
        bool updated = !expected;
        EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
        EXPECT_EQ(updated, expected);
    }
    options.set("Mode", "x");
    EXPECT_TRUE(environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES, nullptr));
    EXPECT_EQ(options.size(), 0u);
    EXPECT_FALSE(options.updated());
    active_player = nullptr;
}

} // namespace
} // namespace tovarune::testing
