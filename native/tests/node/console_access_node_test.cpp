// The console access methods as scripts see them: registered after the
// twenty-one, taking and giving engine types.

#include "libretro_player.h"
#include "register_types.h"
#include "test_support.h"

#include <stand_in.hpp>

using godot::String;

namespace {

TEST(ConsoleAccessNode, MethodsAreRegisteredAfterTheTwentyOne) {
    godot::stand_in::reset();
    GDExtensionInitialization init{};
    const auto engine = [](const char *) { return GDExtensionInterfaceFunctionPtr([] {}); };
    ASSERT_TRUE(tovarune_library_init(engine, nullptr, &init));
    init.initialize(init.userdata, GDEXTENSION_INITIALIZATION_SCENE);
    std::vector<std::string> signatures;
    for (const auto &method : godot::stand_in::classes().at(0).methods) {
        std::string arguments;
        for (const std::string &name : method.argument_names) {
            arguments += (arguments.empty() ? "" : ", ") + name;
        }
        const bool matches = method.parameter_count == method.argument_names.size();
        signatures.push_back(method.name + "(" + arguments + ")" +
                             (method.is_const ? " const" : "") +
                             (matches && method.default_arguments.empty() ? "" : " ?"));
    }
    ASSERT_EQ(signatures.size(), 30u);
    EXPECT_EQ(
        std::vector<std::string>(signatures.begin() + 21, signatures.end()),
        (std::vector<std::string>{
            "get_aspect_ratio() const", "set_port_button(port, button_id, pressed)",
            "set_analog(port, stick, x, y)", "get_memory_size(region) const",
            "read_memory(region, offset, length) const", "write_memory(region, offset, data)",
            "save_state_to_bytes()", "load_state_from_bytes(data)", "get_core_info() const"}));
}

// The rest is covered through the node by the real-core tests.
TEST(ConsoleAccessNode, ConvertsBetweenEngineAndHostTypes) {
    tovarune::testing::FakeCore core;
    tovarune::testing::TempDir dir;
    tovarune::testing::write_bytes(dir.path("game.sfc"), {1});
    tovarune::LibretroPlayer node;
    EXPECT_TRUE(node.get_core_info().is_empty());
    core->valid_extensions = "sfc|\xE9t\xE9"; // not UTF-8: one character per byte
    core->system_ram_size = 16;
    ASSERT_TRUE(node.load_core(String::utf8(core.path().c_str())));
    ASSERT_TRUE(node.load_game(String::utf8(dir.path("game.sfc").c_str())));
    const godot::Dictionary info = node.get_core_info();
    EXPECT_EQ(info.size(), 5);
    EXPECT_EQ(String(info["library_name"]), String("fake"));
    EXPECT_EQ(String(info["library_version"]), String("1"));
    EXPECT_EQ(godot::PackedStringArray(info["valid_extensions"])[1], String(U"\u00E9t\u00E9"));
    EXPECT_EQ(info["need_fullpath"].get_type() + info["block_extract"].get_type(),
              2 * godot::Variant::BOOL);
    EXPECT_EQ(godot::stand_in::engine_errors(), 0);
    EXPECT_EQ(node.get_memory_size(RETRO_MEMORY_SYSTEM_RAM), 16);
    EXPECT_EQ(node.read_memory(RETRO_MEMORY_SYSTEM_RAM, 15, 2).size(), 0);
    core->serialize_result = false;
    EXPECT_EQ(node.save_state_to_bytes().size(), 0);
    node.set_analog(1, RETRO_DEVICE_INDEX_ANALOG_RIGHT, -1.0, 0.5);
    EXPECT_EQ(core->input_state(1, RETRO_DEVICE_ANALOG, 1, RETRO_DEVICE_ID_ANALOG_Y), 16384);
}

} // namespace
