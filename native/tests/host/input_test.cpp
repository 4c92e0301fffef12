// Input as a core reads it: every device on eight ports, what gathers between
// polls, the keyboard's callback, and the devices chosen for ports.
#include "core/callbacks.h"
#include "test_support.h"

#include <cmath>
#include <thread>

namespace tovarune::testing {
namespace {

using Told = std::vector<std::pair<unsigned, unsigned>>;

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        write_bytes(rom, {1});
        ASSERT_TRUE(player.load_core(core.path()) && player.load_game(rom));
    }
    // What the core reads now, as from inside its frame.
    int read(unsigned port, unsigned device, unsigned index, unsigned id) {
        const CoreScope inside = player.enter_core();
        return core->input_state(port, device, index, id);
    }
    Told told() {
        Told devices;
        for (std::size_t i = 0; i < core->devices_told_count; ++i) {
            devices.emplace_back(core->devices_told[i][0], core->devices_told[i][1]);
        }
        return devices;
    }

    FakeCore core;
    TempDir dir;
    std::string rom = dir.path("game.bin");
    Player player;
};

TEST_F(Input, EveryDeviceAnswersOnEveryPortAsLibretroDefinesIt) {
    const double nan = std::nan("");
    player.set_port_button(7, RETRO_DEVICE_ID_JOYPAD_R3, true);
    player.set_port_button(7, RETRO_DEVICE_ID_JOYPAD_B, true);
    player.set_analog_button(7, RETRO_DEVICE_ID_JOYPAD_R2, 0.5);
    player.set_analog_button(7, RETRO_DEVICE_ID_JOYPAD_L2, 7.0);
    player.set_analog_button(8, 0, 1.0);
    player.set_pointer(5, 3, 0.25, 1.0, true); // the second touch on the picture
    player.set_pointer(5, 2, 1.5, 0.5, true);  // off the picture: no touch
    player.set_pointer(5, 1, 0.0, 0.5, true);  // the first
    player.set_pointer(5, 10, 0.5, 0.5, true);
    player.set_pointer(6, 0, 0.5, nan, true);
    player.set_pointer(4, 0, 2.0, 0.5, false);
    player.set_lightgun_position(3, 0.5, 0.0);
    player.set_lightgun_position(2, 1.01, 0.5);
    player.set_lightgun_button(3, RETRO_DEVICE_ID_LIGHTGUN_RELOAD, true);
    player.set_lightgun_button(3, RETRO_DEVICE_ID_LIGHTGUN_PAUSE, true);
    player.set_lightgun_button(3, RETRO_DEVICE_ID_LIGHTGUN_IS_OFFSCREEN, true);
    player.set_mouse_button(1, RETRO_DEVICE_ID_MOUSE_BUTTON_5, true);
    player.set_mouse_button(1, RETRO_DEVICE_ID_MOUSE_WHEELUP, true); // the wheel is no button
    player.set_key(RETROK_z, true, 'z', 0);
    player.set_key(RETROK_OEM_102, true, 0, 0);
    player.set_key(RETROK_LAST, true, 0, 0);
    // clang-format off
    const unsigned pad = RETRO_DEVICE_JOYPAD, analog = RETRO_DEVICE_ANALOG, button = RETRO_DEVICE_INDEX_ANALOG_BUTTON,
                   touch = RETRO_DEVICE_POINTER, gun = RETRO_DEVICE_LIGHTGUN, mouse = RETRO_DEVICE_MOUSE,
                   keys = RETRO_DEVICE_KEYBOARD, x = 0, y = 1, pressed = 2, count = 3, off = 15;
    const int rows[][5] = { // port, device, index, id and the answer
        {7, pad, 0, RETRO_DEVICE_ID_JOYPAD_MASK, -32767}, {7, pad, 0, RETRO_DEVICE_ID_JOYPAD_R3, 1},
        {7, analog, button, RETRO_DEVICE_ID_JOYPAD_R2, 16384}, {7, analog, button, RETRO_DEVICE_ID_JOYPAD_L2, 32767},
        {7, analog, button, RETRO_DEVICE_ID_JOYPAD_B, 32767}, {7, analog, button, RETRO_DEVICE_ID_JOYPAD_A, 0},
        {7, analog, button, 16, 0}, {7, pad, 1, RETRO_DEVICE_ID_JOYPAD_MASK, 0}, {0, pad, 0, RETRO_DEVICE_ID_JOYPAD_MASK, 0},
        {5, touch, 0, x, -32767}, {5, touch, 0, y, 0}, {5, touch, 0, pressed, 1}, {5, touch, 0, off, 0},
        {5, touch, 1, x, -16383}, {5, touch, 1, y, 32767}, {5, touch, 1, pressed, 1}, {5, touch, 2, pressed, 0},
        {5, touch, 2, x, 0}, {5, touch, 2, off, 1}, {5, touch, 7, count, 2},
        {6, touch, 0, pressed, 0}, {6, touch, 0, x, 0}, {6, touch, 0, y, -32767}, {6, touch, 0, off, 1}, {6, touch, 0, count, 0},
        {4, touch, 0, x, 32767}, {4, touch, 0, off, 1}, {0, touch, 0, off, 1},
        {3, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_X, 0}, {3, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_Y, -32767},
        {3, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_IS_OFFSCREEN, 0}, {3, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_RELOAD, 1},
        {3, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_START, 1}, {3, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_TRIGGER, 0},
        {2, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_X, -32768}, {2, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_Y, -32768},
        {2, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_IS_OFFSCREEN, 1}, {0, gun, 0, RETRO_DEVICE_ID_LIGHTGUN_IS_OFFSCREEN, 1},
        {1, mouse, 0, RETRO_DEVICE_ID_MOUSE_BUTTON_5, 1}, {1, mouse, 0, RETRO_DEVICE_ID_MOUSE_WHEELUP, 0},
        {0, keys, 0, RETROK_z, 1}, {6, keys, 0, RETROK_OEM_102, 1}, {0, keys, 0, RETROK_y, 0},
        {8, keys, 0, RETROK_z, 0}, {8, pad, 0, 0, 0}, {7, RETRO_DEVICE_NONE, 0, 0, 0}, {7, 7, 0, 0, 0},
    };
    // clang-format on
    for (const auto &[port, device, index, id, answer] : rows) {
        EXPECT_EQ(read(port, device, index, id), answer)
            << port << " " << device << " " << index << " " << id;
    }
}

TEST_F(Input, MotionAndWheelGatherUntilTheCorePollsThenHoldUntilItsNextPoll) {
    const unsigned mouse = RETRO_DEVICE_MOUSE;
    const auto mouse_state = [&] {
        std::vector<int> state;
        for (unsigned id : {0, 1, 4, 5, 7, 8}) {
            state.push_back(read(1, mouse, 0, id));
        }
        state.push_back(read(1, RETRO_DEVICE_LIGHTGUN, 0, RETRO_DEVICE_ID_LIGHTGUN_X));
        state.push_back(read(1, RETRO_DEVICE_LIGHTGUN, 0, RETRO_DEVICE_ID_LIGHTGUN_Y));
        return state;
    };
    core->av_info.geometry.base_width = 256;
    core->av_info.geometry.base_height = 200;
    ASSERT_TRUE(player.load_game(rom));
    player.set_lightgun_position(1, 0.5, 0.5);
    player.run_frame();
    player.add_mouse_motion(1, 2.75, -1.5);
    player.add_mouse_motion(1, 0.5, -40000.0);
    player.add_mouse_motion(1, std::nan(""), 9.0);
    player.add_mouse_wheel(1, 2, -1);
    player.add_mouse_wheel(1, -1, 0);
    player.set_lightgun_position(1, 0.25, 0.75);
    EXPECT_EQ(mouse_state(), std::vector<int>(8, 0)); // nothing until the core polls
    // A core that reads before polling in its frame is polled first.
    as_core(
        "retro_run",
        [&] {
            EXPECT_EQ(mouse_state(), (std::vector<int>{3, -32767, 1, 0, 1, 0, -64, 50}));
        },
        [&] { player.run_frame(); });
    EXPECT_EQ(mouse_state(), (std::vector<int>{0, -7234, 0, 0, 0, 0, 0, 0})); // its own poll
    player.add_mouse_motion(1, 0.75, 0.0);
    player.add_mouse_wheel(1, 0, 3);
    player.set_lightgun_position(1, 2.0, 0.5); // off the picture: no motion
    player.run_frame();
    EXPECT_EQ(mouse_state(), (std::vector<int>{1, 0, 0, 0, 0, 1, 0, 0}));
}

struct KeyEvent {
    bool down;
    unsigned keycode;
    std::uint32_t character;
    std::uint16_t modifiers;
    std::thread::id thread;
    int held; // the key as the core reads it meanwhile
};
std::vector<KeyEvent> key_events;

void record_key(bool down, unsigned keycode, std::uint32_t character, std::uint16_t modifiers) {
    key_events.push_back({down, keycode, character, modifiers, std::this_thread::get_id(),
                          FakeCore::current().input_state(0, RETRO_DEVICE_KEYBOARD, 0, keycode)});
}

TEST_F(Input, KeysReachTheCoresCallbackOnTheCallersThreadOnlyWhileItsGameRuns) {
    key_events.clear();
    retro_keyboard_callback callback{record_key};
    {
        const CoreScope inside = player.enter_core();
        EXPECT_FALSE(core->environment(RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK, nullptr));
        ASSERT_TRUE(core->environment(RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK, &callback));
    }
    callback.callback = nullptr; // the core's structure need not outlive the call
    std::thread::id other;
    std::thread([&] {
        other = std::this_thread::get_id();
        player.set_key(RETROK_a, true, 'A', RETROKMOD_SHIFT | RETROKMOD_CAPSLOCK);
    }).join();
    player.set_key(RETROK_UNKNOWN, false, 0xE9, RETROKMOD_ALT); // a character alone
    player.set_key(-1, true, 'x', 0);
    player.set_key(RETROK_LAST, true, 'x', 0);
    player.unload_game();
    player.set_key(RETROK_b, true, 'b', 0);
    ASSERT_TRUE(player.load_game(rom));
    player.set_key(RETROK_c, true, 'c', 0);
    ASSERT_TRUE(player.load_core(core.path()) && player.load_game(rom)); // a core that gave none
    player.set_key(RETROK_d, true, 'd', 0);
    ASSERT_EQ(key_events.size(), 3u);
    const KeyEvent &a = key_events[0], &e = key_events[1];
    EXPECT_TRUE(a.down && a.keycode == RETROK_a && a.character == 'A' && a.held == 1);
    EXPECT_EQ(a.modifiers, RETROKMOD_SHIFT | RETROKMOD_CAPSLOCK);
    EXPECT_EQ(a.thread, other);
    EXPECT_TRUE(!e.down && e.keycode == RETROK_UNKNOWN && e.character == 0xE9 &&
                e.modifiers == RETROKMOD_ALT && e.thread == std::this_thread::get_id());
    EXPECT_EQ(key_events[2].keycode, unsigned(RETROK_c));
    EXPECT_EQ(read(0, RETRO_DEVICE_KEYBOARD, 0, RETROK_b), 1);
}

TEST_F(Input, ChosenDevicesAreToldAtOnceAndAfterEachLoadWhileOtherPortsKeepTheirDefault) {
    const unsigned scope = RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_LIGHTGUN, 0);
    retro_controller_description pads[] = {{"Pad", 1}, {"Multitap", RETRO_DEVICE_SUBCLASS(1, 0)}},
                                 guns[] = {{"Super Scope", scope},
                                           {nullptr, RETRO_DEVICE_LIGHTGUN}};
    const retro_controller_info ports[] = {{pads, 2}, {guns, 2}, {nullptr, 0}, {pads, 1}};
    char fire[] = "Fire";
    const retro_input_descriptor descriptors[] = {
        {1, RETRO_DEVICE_LIGHTGUN, 0, 2, fire}, {0, 1, 0, 8, "A"}, {0, 1, 0, 0, nullptr}};
    {
        const CoreScope inside = player.enter_core();
        ASSERT_TRUE(core->environment(RETRO_ENVIRONMENT_SET_CONTROLLER_INFO, (void *)ports));
        ASSERT_TRUE(
            core->environment(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, (void *)descriptors));
    }
    guns[0] = {"gone", 0}; // copies, not the core's arrays
    fire[0] = 'X';
    const std::vector<ControllerType> types = player.controller_types(1);
    ASSERT_EQ(types.size(), 2u);
    EXPECT_TRUE(types[0].id == scope && types[0].name == "Super Scope" && types[1].name.empty());
    EXPECT_TRUE(player.controller_types(2).empty() && player.controller_types(-1).empty());
    const std::vector<InputDescriptor> described = player.input_descriptors();
    ASSERT_EQ(described.size(), 2u);
    EXPECT_TRUE(described[0].device == RETRO_DEVICE_LIGHTGUN && described[0].description == "Fire");

    core->devices_told_count = 0;
    player.set_port_button(5, 0, true);
    // clang-format off
    const std::tuple<int, std::int64_t, bool> choices[] = { // port, device, accepted
        {1, scope, true}, {0, scope, false}, {7, RETRO_DEVICE_MOUSE, true}, {3, RETRO_DEVICE_NONE, true},
        {8, 1, false}, {-1, 1, false}, {2, 7, false}, {2, -1, false}, {2, (1ll << 32) | 1, false},
    };
    // clang-format on
    for (const auto &[port, device, accepted] : choices) {
        EXPECT_EQ(player.set_port_device(port, device), accepted) << port << " " << device;
    }
    player.set_port_button(7, 0, true); // chosen: no joypad
    const Told at_once{{5, 1}, {1, scope}, {7, 2}, {3, 0}};
    EXPECT_EQ(told(), at_once);
    EXPECT_EQ(player.port_device(1) * 100 + player.port_device(2) * 10 + player.port_device(8),
              scope * 100 + 10);
    player.unload_game();
    player.set_port_device(1, 1);
    player.set_port_device(6, RETRO_DEVICE_POINTER);
    core->devices_told_count = 0;
    ASSERT_TRUE(player.load_core(core.path()) && player.load_game(rom));
    EXPECT_EQ(told(), (Told{{0, 1}, {1, 1}, {3, 0}, {5, 1}, {6, 6}, {7, 2}}));
    EXPECT_TRUE(player.controller_types(1).empty() && player.input_descriptors().empty());
    EXPECT_FALSE(player.set_port_device(1, scope)); // the new core listed nothing
}

TEST(InputEnvironment, AnnouncesEightUsersBitmasksAndEveryDevice) {
    Player player;
    unsigned users = 0;
    bool bitmasks = false;
    std::uint64_t devices = 0;
    EXPECT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_GET_INPUT_MAX_USERS, &users));
    EXPECT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_GET_INPUT_BITMASKS, &bitmasks));
    EXPECT_TRUE(environment_callback(player, RETRO_ENVIRONMENT_GET_INPUT_BITMASKS, nullptr));
    EXPECT_TRUE(
        environment_callback(player, RETRO_ENVIRONMENT_GET_INPUT_DEVICE_CAPABILITIES, &devices));
    EXPECT_FALSE(environment_callback(player, RETRO_ENVIRONMENT_GET_INPUT_MAX_USERS, nullptr));
    EXPECT_TRUE(users == 8 && bitmasks);
    EXPECT_EQ(devices, 0b1111110u);
}

} // namespace
} // namespace tovarune::testing
