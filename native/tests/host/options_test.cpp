#include "callbacks.h"
#include "options_store.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tovarune::testing {
namespace {

using Strings = std::vector<std::string>;

OptionsStore declared(std::vector<retro_variable> entries) {
    entries.push_back({nullptr, nullptr});
    OptionsStore store;
    store.declare(entries.data());
    return store;
}

TEST(Options, KeysSortAsUnsignedBytesChoicesKeepDeclaredOrder) {
    // "\xC3\xA9" is e with an acute accent: its bytes sort after every ASCII key.
    OptionsStore store = declared(
        {{"b", "z|a|m"}, {"\xC3\xA9", "1"}, {"a_long", "1"}, {"a", "1"}, {"B", "1"}, {"_", "1"}});
    EXPECT_EQ(store.sorted_keys(), (Strings{"B", "_", "a", "a_long", "b", "\xC3\xA9"}));
    EXPECT_EQ(*store.choices("b"), (Strings{"z", "a", "m"}));
}

TEST(Options, SetAcceptsOnlyAnExactChoiceOfAKnownKey) {
    OptionsStore store = declared({{"mode", "Mode; fast| slow"}, {"other", "x|y"}});
    const std::string *other = store.value("other");
    for (const auto &[key, value] :
         std::vector<std::pair<std::string, std::string>>{{"mode", "Fast"},
                                                          {"mode", "fast "},
                                                          {"mode", "slow"},
                                                          {"mode", "fas"},
                                                          {"Mode", "fast"},
                                                          {"missing", "fast"}}) {
        EXPECT_FALSE(store.set(key, value)) << key << "=" << value;
    }
    EXPECT_EQ(*store.value("mode"), "fast");
    EXPECT_FALSE(store.updated());

    // Setting the current value still tells the core.
    EXPECT_TRUE(store.set("mode", "fast"));
    EXPECT_TRUE(store.take_updated());
    EXPECT_FALSE(store.take_updated());
    EXPECT_TRUE(store.set("mode", " slow"));
    EXPECT_EQ(*store.value("mode"), " slow");
    EXPECT_TRUE(store.updated());
    // The core may still hold the text of an option that did not change.
    EXPECT_EQ(store.value("other"), other);
    EXPECT_EQ(*other, "x");
}

TEST(Options, StoreOutlivesTheCoreUntilTheNextDeclaration) {
    FakeCore core;
    Player player;
    ASSERT_TRUE(player.load_core(core.path()));
    const retro_variable first[] = {{"video", "V; on|off"}, {nullptr, nullptr}};
    environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES, const_cast<retro_variable *>(first));
    player.unload_core();
    EXPECT_EQ(player.options().sorted_keys(), (Strings{"video"}));
    EXPECT_TRUE(player.options().set("video", "off"));

    // A core that declares nothing leaves the last declaration in place.
    ASSERT_TRUE(player.load_core(core.path()));
    EXPECT_EQ(*player.options().value("video"), "off");
    const retro_variable second[] = {{"audio", "A; hi|lo"}, {nullptr, nullptr}};
    environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES, const_cast<retro_variable *>(second));
    EXPECT_EQ(player.options().sorted_keys(), (Strings{"audio"}));
    EXPECT_FALSE(player.options().updated());
}

} // namespace
} // namespace tovarune::testing
