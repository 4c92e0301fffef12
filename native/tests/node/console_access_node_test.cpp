// The scripting face of the console access methods: registration and the
// conversions between engine and host types.

#include "libretro_player.h"
#include "register_types.h"
#include "test_support.h"

#include <stand_in.hpp>

#include <any>

using godot::PackedByteArray;
using godot::PackedStringArray;
using godot::String;
using tovarune::LibretroPlayer;
namespace stand_in = godot::stand_in;
namespace ti = tovarune::testing;

namespace {

GDExtensionInterfaceFunctionPtr engine(const char *) {
    return [] {};
}

template <typename M> bool bound_to(const std::any &bound, M member) {
    const M *pointer = std::any_cast<M>(&bound);
    return pointer != nullptr && *pointer == member;
}

TEST(ConsoleAccessNode, MethodsFollowTheTwentyOneInOrder) {
    stand_in::reset();
    GDExtensionInitialization init{};
    int library = 0;
    ASSERT_TRUE(tovarune_library_init(engine, &library, &init));
    init.initialize(init.userdata, GDEXTENSION_INITIALIZATION_SCENE);
    const auto &bound = stand_in::classes().at(0).methods;
    ASSERT_EQ(bound.size(), 30u);
#define CHECK(m_index, m_method, m_const, ...)                                                     \
    EXPECT_EQ(bound[m_index].name, #m_method);                                                     \
    EXPECT_EQ(bound[m_index].argument_names, (std::vector<std::string>{__VA_ARGS__}));             \
    EXPECT_EQ(bound[m_index].is_const, m_const) << #m_method;                                      \
    EXPECT_TRUE(bound[m_index].default_arguments.empty()) << #m_method;                            \
    EXPECT_TRUE(bound_to(bound[m_index].method, &LibretroPlayer::m_method)) << #m_method
    CHECK(21, get_aspect_ratio, true);
    CHECK(22, set_port_button, false, "port", "button_id", "pressed");
    CHECK(23, set_analog, false, "port", "stick", "x", "y");
    CHECK(24, get_memory_size, true, "region");
    CHECK(25, read_memory, true, "region", "offset", "length");
    CHECK(26, write_memory, false, "region", "offset", "data");
    CHECK(27, save_state_to_bytes, false);
    CHECK(28, load_state_from_bytes, false, "data");
    CHECK(29, get_core_info, true);
#undef CHECK
}

TEST(ConsoleAccessNode, ConvertsBetweenEngineAndHostTypes) {
    stand_in::reset();
    ti::FakeCore core;
    ti::TempDir dir;
    ti::write_bytes(dir.path("game.sfc"), {1});
    LibretroPlayer node;
    EXPECT_EQ(node.get_aspect_ratio(), 0.0);
    EXPECT_TRUE(node.get_core_info().is_empty());
    EXPECT_EQ(node.save_state_to_bytes().size(), 0);

    core->valid_extensions = "sfc|\xE9t\xE9"; // not UTF-8: one character per byte
    core->av_info.geometry = {256, 224, 0, 0, 0.0f};
    ASSERT_TRUE(node.load_core(String::utf8(core.path().c_str())));
    ASSERT_TRUE(node.load_game(String::utf8(dir.path("game.sfc").c_str())));
    const godot::Dictionary info = node.get_core_info();
    EXPECT_EQ(info.size(), 5);
    EXPECT_EQ(String(info["library_name"]), String("fake"));
    EXPECT_EQ(String(info["library_version"]), String("1"));
    const PackedStringArray extensions = info["valid_extensions"];
    ASSERT_EQ(extensions.size(), 2);
    EXPECT_EQ(extensions[1], String(U"\u00E9t\u00E9"));
    EXPECT_EQ(info["need_fullpath"].get_type(), godot::Variant::BOOL);
    EXPECT_FALSE(bool(info["block_extract"]));
    EXPECT_EQ(stand_in::engine_errors(), 0);
    EXPECT_DOUBLE_EQ(node.get_aspect_ratio(), 256.0 / 224);

    core->system_ram_size = 16;
    core->system_ram[14] = 0x42;
    EXPECT_EQ(node.get_memory_size(RETRO_MEMORY_SYSTEM_RAM), 16);
    const PackedByteArray read = node.read_memory(RETRO_MEMORY_SYSTEM_RAM, 14, 2);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0], 0x42);
    EXPECT_EQ(node.read_memory(RETRO_MEMORY_SYSTEM_RAM, 15, 2).size(), 0);
    PackedByteArray written;
    written.push_back(7);
    written.push_back(8);
    EXPECT_TRUE(node.write_memory(RETRO_MEMORY_SYSTEM_RAM, 14, written));
    EXPECT_EQ(core->system_ram[15], 8);
    EXPECT_FALSE(node.write_memory(RETRO_MEMORY_SYSTEM_RAM, 15, written));

    core->state[15] = 0x5A;
    const PackedByteArray state = node.save_state_to_bytes();
    ASSERT_EQ(state.size(), 16);
    EXPECT_EQ(state[15], 0x5A);
    EXPECT_TRUE(node.load_state_from_bytes(state));
    EXPECT_EQ(core->unserialized_size, 16u);
    EXPECT_FALSE(node.load_state_from_bytes(PackedByteArray()));
    core->serialize_result = false;
    EXPECT_EQ(node.save_state_to_bytes().size(), 0);

    node.set_port_button(1, RETRO_DEVICE_ID_JOYPAD_A, true);
    node.set_analog(1, RETRO_DEVICE_INDEX_ANALOG_RIGHT, -1.0, 0.5);
    EXPECT_EQ(core->input_state(1, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_A), 1);
    EXPECT_EQ(core->input_state(1, RETRO_DEVICE_ANALOG, 1, RETRO_DEVICE_ID_ANALOG_X), -32767);
}

} // namespace
