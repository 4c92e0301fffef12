// Core options of the later generations: texts, categories, translations and
// their display.
#include "core/callbacks.h"
#include "core/core_call.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

using Strings = std::vector<std::string>;

Strings labels(const Player &player, const std::string &key) {
    const CoreOptionDetails *details = player.options().details(key);
    if (details == nullptr) {
        return {"unknown"};
    }
    Strings texts{details->label,         details->description,
                  details->category,      details->label_in_category,
                  details->default_value, *player.options().value(key)};
    texts.insert(texts.end(), details->value_labels.begin(), details->value_labels.end());
    return texts;
}

TEST(CoreOptions, EveryGenerationFillsOneStoreWithItsTexts) {
    Player player;
    RecordingEvents events;
    player.set_events(&events);
    unsigned version = 0;
    ASSERT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_GET_CORE_OPTIONS_VERSION, &version));
    EXPECT_EQ(version, 2u);

    // clang-format off
    retro_core_option_definition us[] = {
        {"a", "A", "About a", {{"1", nullptr}, {"2", "Two"}, {nullptr, nullptr}}, "2"},
        {"b", "B", nullptr, {{"x", "X"}, {"y", nullptr}, {nullptr, nullptr}}, "z"},
        {"none", "None", nullptr, {{nullptr, nullptr}}, nullptr},
        {nullptr, nullptr, nullptr, {{nullptr, nullptr}}, nullptr}};
    retro_core_option_definition local[] = {
        {"b", "Be", "", {{"y", "Ipsilon"}, {nullptr, nullptr}}, "y"},
        {nullptr, nullptr, nullptr, {{nullptr, nullptr}}, nullptr}};
    retro_core_option_v2_category categories[] = {
        {"video", "Video", "Picture"}, {nullptr, nullptr, nullptr}};
    retro_core_option_v2_category local_categories[] = {
        {"video", "Imagem", nullptr}, {nullptr, nullptr, nullptr}};
    retro_core_option_v2_definition v2[] = {
        {"c", "Video > C", "C", "Info", nullptr, "video", {{"on", nullptr}, {"off", nullptr}, {nullptr, nullptr}}, "off"},
        {"d", "D", "Dee", nullptr, nullptr, "audio", {{"0", nullptr}, {nullptr, nullptr}}, nullptr},
        {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {{nullptr, nullptr}}, nullptr}};
    retro_core_option_v2_definition v2_local[] = {
        {"c", "Imagem > C", nullptr, nullptr, nullptr, nullptr, {{"off", "Desligado"}, {nullptr, nullptr}}, "on"},
        {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {{nullptr, nullptr}}, nullptr}};
    retro_core_options_v2 v2_us{categories, v2}, v2_translated{local_categories, v2_local};
    retro_core_options_intl intl{us, local};
    retro_core_options_v2_intl v2_intl{&v2_us, &v2_translated};
    // {command, data, keys, {key: label, description, category, label in category, default, value, value labels...}}
    const std::tuple<unsigned, void *, Strings, std::string, Strings> cases[] = {
        {RETRO_ENVIRONMENT_SET_CORE_OPTIONS, us, {"a", "b"}, "a", {"A", "About a", "", "", "2", "2", "1", "Two"}},
        {RETRO_ENVIRONMENT_SET_CORE_OPTIONS, us, {"a", "b"}, "b", {"B", "", "", "", "x", "x", "X", "y"}},
        {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_INTL, &intl, {"a", "b"}, "b", {"Be", "", "", "", "x", "x", "X", "Ipsilon"}},
        {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_INTL, &intl, {"a", "b"}, "a", {"A", "About a", "", "", "2", "2", "1", "Two"}},
        {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, &v2_us, {"c", "d"}, "c", {"Video > C", "Info", "video", "C", "off", "off", "on", "off"}},
        {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, &v2_us, {"c", "d"}, "d", {"D", "", "", "", "0", "0", "0"}},
        {RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2_INTL, &v2_intl, {"c", "d"}, "c", {"Imagem > C", "Info", "video", "C", "off", "off", "on", "Desligado"}},
    };
    // clang-format on
    for (const auto &[command, data, keys, key, expected] : cases) {
        events.news.clear();
        EXPECT_TRUE(environment_callback(player, command, data)) << command;
        EXPECT_EQ(player.options().sorted_keys(), keys) << command;
        EXPECT_EQ(labels(player, key), expected) << command << " " << key;
        EXPECT_EQ(events.news, Strings{"options"});
        EXPECT_FALSE(environment_callback(player, command, nullptr));
    }
    ASSERT_EQ(player.options().categories().size(), 1u);
    EXPECT_EQ(player.options().categories()[0].label + player.options().categories()[0].description,
              "ImagemPicture");

    // Declared again, a value still allowed stays; the core's tables may go.
    EXPECT_TRUE(player.set_core_option("c", "on"));
    v2[0].values[0].value = "auto";
    v2[0].values[1].value = "on";
    environment_callback(player, RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, &v2_us);
    v2[0].values[1].value = "gone";
    EXPECT_EQ(*player.options().choices("c"), (Strings{"auto", "on"}));
    EXPECT_EQ(*player.options().value("c"), "on");

    events.news.clear();
    for (const auto &[key, visible, told] : {std::tuple{"c", false, true},
                                             {"c", false, false},
                                             {"c", true, true},
                                             {"x", false, false}}) {
        const retro_core_option_display display{key, visible};
        EXPECT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_SET_CORE_OPTIONS_DISPLAY,
                                         (void *)&display));
        EXPECT_EQ(player.options().details("c")->visible, visible || key[0] == 'x');
        EXPECT_EQ(events.news.size(), told ? 1u : 0u) << key << visible;
        events.news.clear();
    }
    EXPECT_FALSE(environment_callback(player, RETRO_ENVIRONMENT_SET_CORE_OPTIONS_DISPLAY, nullptr));
    EXPECT_EQ(labels(player, "x"), Strings{"unknown"});
}

int display_updates = 0;
bool update_display() {
    ++display_updates;
    // The core shows or hides its options from inside itself.
    EXPECT_TRUE(CoreCall::under_way());
    const retro_core_option_display hide{"b", false};
    return FakeCore::current().environment(RETRO_ENVIRONMENT_SET_CORE_OPTIONS_DISPLAY,
                                           (void *)&hide);
}

TEST(CoreOptions, TheCoreUpdatesItsDisplayAfterAScriptsChangeWhileLoaded) {
    FakeCore core;
    Player player;
    RecordingEvents events;
    player.set_events(&events);
    const retro_variable declared[] = {{"a", "A; 1|2"}, {"b", "B; x|y"}, {nullptr, nullptr}};
    const retro_core_options_update_display_callback callback{update_display};
    ASSERT_TRUE(as_core(
        "retro_init",
        [&] {
            core->environment(RETRO_ENVIRONMENT_SET_VARIABLES, (void *)declared);
            core->environment(RETRO_ENVIRONMENT_SET_CORE_OPTIONS_UPDATE_DISPLAY_CALLBACK,
                              (void *)&callback);
        },
        [&] { return player.load_core(core.path()); }));
    display_updates = 0;
    events.news.clear();
    EXPECT_FALSE(player.set_core_option("a", "3"));
    EXPECT_TRUE(player.set_core_option("a", "2"));
    EXPECT_EQ(display_updates, 1);
    EXPECT_FALSE(player.options().details("b")->visible);
    EXPECT_EQ(events.news, Strings{"options"});
    // A null callback removes it; unloading the core does too.
    environment_callback(player, RETRO_ENVIRONMENT_SET_CORE_OPTIONS_UPDATE_DISPLAY_CALLBACK,
                         nullptr);
    EXPECT_TRUE(player.set_core_option("a", "1"));
    environment_callback(player, RETRO_ENVIRONMENT_SET_CORE_OPTIONS_UPDATE_DISPLAY_CALLBACK,
                         (void *)&callback);
    player.unload_core();
    EXPECT_TRUE(player.set_core_option("a", "2"));
    EXPECT_EQ(display_updates, 1);
}

} // namespace
} // namespace tovarune::testing
