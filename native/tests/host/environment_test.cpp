// The environment callback: its answers, the directories and the options.
#include "core/callbacks.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

using Strings = std::vector<std::string>;

TEST(Environment, AnswersWhatItKnowsAndLeavesTheRestAlone) {
    Player player;
    player.set_paths("", "/s\xC3\xA1ves");
    const std::uint64_t untouched = ~0ull,
                        save_dir = reinterpret_cast<std::uintptr_t>(player.save_directory());
    // clang-format off
    const std::tuple<unsigned, bool, std::uint64_t> cases[] = { // storage starts as all ones
        {RETRO_ENVIRONMENT_GET_CAN_DUPE, true, 0xFFFFFFFFFFFFFF01},
        {RETRO_ENVIRONMENT_GET_CAN_DUPE | RETRO_ENVIRONMENT_EXPERIMENTAL, true, 0xFFFFFFFFFFFFFF01},
        {RETRO_ENVIRONMENT_GET_LANGUAGE, true, 0xFFFFFFFF00000000 | RETRO_LANGUAGE_ENGLISH},
        {RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, true, 0}, {RETRO_ENVIRONMENT_GET_CORE_ASSETS_DIRECTORY, true, 0},
        {RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, true, save_dir},
        {RETRO_ENVIRONMENT_SET_PERFORMANCE_LEVEL, true, untouched}, {RETRO_ENVIRONMENT_GET_LOG_INTERFACE, false, untouched},
        {RETRO_ENVIRONMENT_GET_HW_RENDER_INTERFACE, false, untouched}, {0, false, untouched},
    };
    // clang-format on
    for (const auto &[command, answered, value] : cases) {
        std::uint64_t storage = untouched;
        EXPECT_EQ(environment_callback(player, command, &storage), answered) << command;
        EXPECT_EQ(storage, value) << command;
        EXPECT_EQ(environment_callback(player, command, nullptr), answered && value == untouched);
    }
    for (unsigned format : {2u, 1u, 3u, 0u}) {
        EXPECT_EQ(environment_callback(player, RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format),
                  format != 3);
        EXPECT_EQ(player.pixel_format(), format == 3 ? 1u : format);
    }
}

TEST(Environment, OptionsAreDeclaredReadAndSetExactly) {
    Player player;
    // clang-format off
    const retro_variable declared[] = {
        {"speed", "Speed; fast|normal"}, {"\xC3\xA9", "E;  a;b||c|"}, {"Mode", "x|y"}, {"empty", "Empty; "},
        {"speed", "Again; slow"}, {"cut", nullptr}, {"after", "A; one"}, {nullptr, nullptr}};
    // clang-format on
    ASSERT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_SET_VARIABLES, (void *)declared));
    OptionsStore &options = player.options();
    // Unsigned byte order; a later entry for a key wins; a null value ends the list.
    EXPECT_EQ(options.sorted_keys(), (Strings{"Mode", "speed", "\xC3\xA9"}));
    EXPECT_EQ(*options.choices("\xC3\xA9"), (Strings{"a;b", "c"}));
    EXPECT_EQ(*options.choices("speed"), Strings{"slow"});
    retro_variable asked{"\xC3\xA9", nullptr}, unknown{"MODE", "stale"};
    ASSERT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_GET_VARIABLE, &asked));
    EXPECT_EQ(asked.value, options.value("\xC3\xA9")->c_str());
    EXPECT_STREQ(asked.value, "a;b");
    EXPECT_FALSE(environment_callback(player, RETRO_ENVIRONMENT_GET_VARIABLE, &unknown));
    EXPECT_EQ(unknown.value, nullptr);

    EXPECT_FALSE(options.set("Mode", "X") || options.set("Mode", "x ") || options.set("MODE", "y"));
    EXPECT_TRUE(options.set("Mode", "y"));
    EXPECT_EQ(*options.value("Mode"), "y");
    for (const bool expected : {true, false}) {
        bool updated = !expected;
        EXPECT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated));
        EXPECT_EQ(updated, expected);
    }
    EXPECT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_SET_VARIABLES, nullptr));
    EXPECT_EQ(options.size(), 0u);
}

} // namespace
} // namespace tovarune::testing
