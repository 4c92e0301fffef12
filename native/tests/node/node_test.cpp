// Drives LibretroPlayer as a script would, through the godot-cpp stand-in.
#include "libretro_player.h"
#include "register_types.h"
#include "test_support.h"

#include <stand_in.hpp>

#include <any>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

using godot::String;
using tovarune::LibretroPlayer;
namespace stand_in = godot::stand_in;
namespace ti = tovarune::testing;

namespace {

void engine_function() {}
GDExtensionInterfaceFunctionPtr engine(const char *) { return engine_function; }
int library_handle;

// Loads the extension as the engine does, entering every level.
void load_extension() {
    stand_in::reset();
    GDExtensionInitialization init{};
    ASSERT_TRUE(tovarune_library_init(engine, &library_handle, &init));
    EXPECT_EQ(init.minimum_initialization_level, GDEXTENSION_INITIALIZATION_SCENE);
    for (int level = 0; level < GDEXTENSION_MAX_INITIALIZATION_LEVEL; ++level) {
        init.initialize(init.userdata, static_cast<GDExtensionInitializationLevel>(level));
        EXPECT_EQ(stand_in::classes().size(), level < GDEXTENSION_INITIALIZATION_SCENE ? 0u : 1u);
    }
}

String text(const std::string &utf8) { return String::utf8(utf8.c_str()); }

template <typename M> bool bound_to(const std::any &bound, M member) {
    const M *pointer = std::any_cast<M>(&bound);
    return pointer != nullptr && *pointer == member;
}

TEST(Registration, RegistersTheNodeWithItsMethods) {
    load_extension();
    const stand_in::ClassRecord &player = stand_in::classes().at(0);
    EXPECT_EQ(player.name + " : " + player.parent, "LibretroPlayer : Node");
#define BOUND(name) [](const std::any &m) { return bound_to(m, &LibretroPlayer::name); }
    // clang-format off
    const std::pair<std::string, bool (*)(const std::any &)> expected[] = {
        {"load_core(path)", BOUND(load_core)}, {"unload_core()", BOUND(unload_core)},
        {"load_game(path)", BOUND(load_game)}, {"unload_game()", BOUND(unload_game)},
        {"run_frame()", BOUND(run_frame)}, {"reset_game()", BOUND(reset_game)},
        {"set_paths(system_path,save_path)", BOUND(set_paths)}, {"set_button(button_id,pressed)", BOUND(set_button)},
        {"is_core_loaded() const", BOUND(is_core_loaded)}, {"is_game_loaded() const", BOUND(is_game_loaded)},
        {"get_last_error() const", BOUND(get_last_error)}, {"get_fps() const", BOUND(get_fps)},
        {"get_sample_rate() const", BOUND(get_sample_rate)}, {"get_video_texture() const", BOUND(get_video_texture)},
        {"pop_audio_frames(max_frames=4096)", BOUND(pop_audio_frames)},
        {"save_state(path)", BOUND(save_state)}, {"load_state(path)", BOUND(load_state)},
        {"get_core_option_keys() const", BOUND(get_core_option_keys)},
        {"get_core_option_values(key) const", BOUND(get_core_option_values)},
        {"get_core_option_value(key) const", BOUND(get_core_option_value)},
        {"set_core_option(key,value)", BOUND(set_core_option)}, {"get_aspect_ratio() const", BOUND(get_aspect_ratio)},
        {"set_port_button(port,button_id,pressed)", BOUND(set_port_button)}, {"set_analog(port,stick,x,y)", BOUND(set_analog)},
        {"get_memory_size(region) const", BOUND(get_memory_size)}, {"read_memory(region,offset,length) const", BOUND(read_memory)},
        {"write_memory(region,offset,data)", BOUND(write_memory)}, {"save_state_to_bytes()", BOUND(save_state_to_bytes)},
        {"load_state_from_bytes(data)", BOUND(load_state_from_bytes)}, {"get_core_info() const", BOUND(get_core_info)},
        {"set_save_name(name)", BOUND(set_save_name)}, {"get_save_name() const", BOUND(get_save_name)},
        {"set_analog_button(port,button_id,value)", BOUND(set_analog_button)}, {"add_mouse_motion(port,dx,dy)", BOUND(add_mouse_motion)},
        {"set_mouse_button(port,button_id,pressed)", BOUND(set_mouse_button)},
        {"add_mouse_wheel(port,vertical,horizontal)", BOUND(add_mouse_wheel)},
        {"set_pointer(port,touch,position,pressed)", BOUND(set_pointer)}, {"release_pointers(port)", BOUND(release_pointers)},
        {"set_lightgun_position(port,position)", BOUND(set_lightgun_position)},
        {"set_lightgun_button(port,button_id,pressed)", BOUND(set_lightgun_button)},
        {"set_key(keycode,pressed,character,modifiers=0=0)", BOUND(set_key)},
        {"get_controller_types(port) const", BOUND(get_controller_types)}, {"set_port_device(port,device)", BOUND(set_port_device)},
        {"get_port_device(port) const", BOUND(get_port_device)}, {"get_input_descriptors() const", BOUND(get_input_descriptors)},
        {"get_rotation() const", BOUND(get_rotation)}, {"read_address(address,length) const", BOUND(read_address)},
        {"write_address(address,data)", BOUND(write_address)},
        {"get_core_option_info(key) const", BOUND(get_core_option_info)},
        {"get_core_option_categories() const", BOUND(get_core_option_categories)},
        {"get_disk_count() const", BOUND(get_disk_count)}, {"get_disk_index() const", BOUND(get_disk_index)},
        {"set_disk_index(index)", BOUND(set_disk_index)}, {"is_disk_ejected() const", BOUND(is_disk_ejected)},
        {"set_disk_ejected(ejected)", BOUND(set_disk_ejected)}, {"get_disk_label(index) const", BOUND(get_disk_label)},
        {"add_disk(path)", BOUND(add_disk)},
    };
    // clang-format on
    ASSERT_EQ(player.methods.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const stand_in::MethodRecord &m = player.methods[i];
        std::string signature = m.name + "(";
        for (std::size_t a = 0; a < m.argument_names.size(); ++a) {
            signature += (a > 0 ? "," : "") + m.argument_names[a];
        }
        for (const godot::Variant &value : m.default_arguments) {
            signature += "=" + std::to_string(value.as_int());
        }
        signature += m.is_const ? ") const" : ")";
        EXPECT_EQ(signature, expected[i].first);
        EXPECT_TRUE(expected[i].second(m.method)) << m.name;
    }
}

class Node : public ::testing::Test {
protected:
    void SetUp() override {
        load_extension();
        ti::write_bytes(rom, {1, 2, 3, 4});
    }
    void TearDown() override {
        node.reset();
        EXPECT_EQ(stand_in::live_images() + stand_in::live_textures(), 0);
        EXPECT_EQ(stand_in::engine_errors(), 0);
    }
    // 0RGB1555 words, the libretro default, delivered by every following frame.
    void show(std::vector<std::uint16_t> &words, unsigned width) {
        core->frame_data = words.data();
        core->frame_width = width;
        core->frame_height = static_cast<unsigned>(words.size()) / width;
        core->frame_pitch = width * 2;
        node->run_frame();
    }

    ti::FakeCore core;
    ti::TempDir dir;
    std::string rom = dir.path("jogo \xC3\xB1.sfc");
    std::unique_ptr<LibretroPlayer> node = std::make_unique<LibretroPlayer>();
};

TEST_F(Node, PlaysAGameFromLoadCoreToFree) {
    EXPECT_EQ(node->get_fps(), 60.0);
    const std::string missing = dir.path("n\xC3\xA3o h\xC3\xA1.so");
    EXPECT_FALSE(node->load_core(text(missing)));
    EXPECT_EQ(node->get_last_error(),
              text("Nao foi possivel carregar o core Libretro: " + missing));

    const std::string saves = dir.path("salvamentos \xC3\xA7\xC3\xA3o");
    core->av_info.timing.fps = 50.0;
    core->save_ram_size = 8;
    node->set_paths(text(dir.path("sistema")), text(saves));
    ASSERT_TRUE(node->load_core(text(core.path())));
    ASSERT_TRUE(node->load_game(text(rom)));
    EXPECT_TRUE(node->is_core_loaded() && node->is_game_loaded());
    EXPECT_EQ(node->get_fps(), 50.0);
    node->set_button(8, true);
    ti::as_core(
        "retro_run", [&] { EXPECT_EQ(core->input_state(0, RETRO_DEVICE_JOYPAD, 0, 8), 1); },
        [&] { node->run_frame(); });

    const std::int16_t samples[] = {100, -100, 32767, -32768, 5, 6};
    core->audio = samples;
    core->audio_frames = 3;
    std::vector<std::uint16_t> small(8 * 2), large(16 * 4);
    small[0] = 0x001F; // blue
    show(small, 8);
    const godot::PackedVector2Array first = node->pop_audio_frames(1),
                                    rest = node->pop_audio_frames(9);
    ASSERT_EQ(first.size() + rest.size(), 3);
    const auto xy = [](const godot::Vector2 &v) { return std::make_pair(v.x, v.y); };
    EXPECT_EQ(xy(first[0]), std::make_pair(100.0f / 32768.0f, -100.0f / 32768.0f));
    EXPECT_EQ(xy(rest[0]), std::make_pair(32767.0f / 32768.0f, -1.0f));

    // Same size: the script's texture is updated in place.
    const godot::Ref<godot::ImageTexture> texture = node->get_video_texture();
    ASSERT_EQ(texture->get_width() * 10 + texture->get_height(), 82);
    EXPECT_EQ(texture->pixels()[2], 255);
    small[0] = 0x7C00; // red
    show(small, 8);
    EXPECT_EQ(node->get_video_texture(), texture);
    EXPECT_EQ(texture->updates(), 1);
    EXPECT_EQ(texture->pixels()[0] + texture->pixels()[2], 255);
    show(large, 16);
    EXPECT_EQ(node->get_video_texture()->get_height(), 4);
    // A frame without a picture leaves it as it is.
    core->frame_data = nullptr;
    ti::as_core(
        "retro_run",
        [&] {
            core->video_refresh(RETRO_HW_FRAME_BUFFER_VALID, 16, 4, 32);
            core->video_refresh(large.data(), 0, 4, 32);
        },
        [&] { node->run_frame(); });
    EXPECT_EQ(node->get_video_texture()->updates(), 0);

    node->unload_game();
    EXPECT_TRUE(node->get_video_texture().is_null());

    ASSERT_TRUE(node->load_game(text(rom)));
    std::memset(core->save_ram, 0xA5, 8);
    show(small, 8);
    core.clear_calls();
    // A script woken by the texture, once the core has returned, frees the node
    // with the game running.
    stand_in::texture_changed() = [&] { node.reset(); };
    show(small, 8);
    EXPECT_EQ(ti::read_bytes(saves + "/jogo \xC3\xB1.srm"), std::vector<std::uint8_t>(8, 0xA5));
    EXPECT_EQ(core.calls().back(), "retro_deinit");
}

TEST_F(Node, CoreTextsAndConsoleAccessCrossTheBoundary) {
    EXPECT_TRUE(node->get_core_info().is_empty());
    const retro_variable declared[] = {
        {"tovarune_regi\xC3\xA3o", "R; Brasil|Jap\xC3\xA3o|\xE9t\xE9"}, {"b", "B; um"}, {}};
    core->valid_extensions = "sfc||\xE9t\xE9";
    ASSERT_TRUE(ti::as_core(
        "retro_init", [&] { core->environment(RETRO_ENVIRONMENT_SET_VARIABLES, (void *)declared); },
        [&] { return node->load_core(text(core.path())); }));
    const String key = text("tovarune_regi\xC3\xA3o");
    ASSERT_EQ(node->get_core_option_keys().size(), 2);
    EXPECT_EQ(node->get_core_option_keys()[1], key);
    // Bytes that are not UTF-8 come back one character per byte, silently.
    const godot::PackedStringArray values = node->get_core_option_values(key);
    ASSERT_EQ(values.size(), 3);
    EXPECT_EQ(values[2], String(U"\u00E9t\u00E9"));
    EXPECT_EQ(node->get_core_option_value(key), String("Brasil"));
    EXPECT_TRUE(node->set_core_option(key, values[1]));
    EXPECT_EQ(node->get_core_option_value(key), text("Jap\xC3\xA3o"));
    // Re-encoding those characters does not give the core's bytes back.
    EXPECT_FALSE(node->set_core_option(key, values[2]));

    const godot::Dictionary info = node->get_core_info();
    EXPECT_EQ(info.size(), 5);
    EXPECT_EQ(String(info["library_name"]), String("fake"));
    const godot::PackedStringArray extensions = info["valid_extensions"];
    ASSERT_EQ(extensions.size(), 2);
    EXPECT_EQ(extensions[1], values[2]);
    ASSERT_TRUE(node->load_game(text(rom)));
    core->serialize_result = false;
    EXPECT_EQ(node->save_state_to_bytes().size(), 0);
    node->set_analog(1, RETRO_DEVICE_INDEX_ANALOG_RIGHT, -1.0, 0.5);
    ti::as_core(
        "retro_run",
        [&] {
            EXPECT_EQ(core->input_state(1, RETRO_DEVICE_ANALOG, 1, RETRO_DEVICE_ID_ANALOG_Y),
                      16384);
        },
        [&] { node->run_frame(); });
}

std::function<void()> inside_the_core; // what a script does while retro_run is on the stack

TEST_F(Node, NothingLetsTheCoreGoWhileItRunsAndTextureHandlersRunAfterIt) {
    std::vector<std::uint16_t> words(8); // 4 x 2
    ASSERT_TRUE(node->load_core(text(core.path())) && node->load_game(text(rom)));
    show(words, 4); // a new texture: no handler connected yet
    const godot::Ref<godot::ImageTexture> shown = node->get_video_texture();
    // Reached from inside the core (by the core, or a script through another
    // path), every call that would load, run or unload is refused.
    inside_the_core = [&] {
        core->video_refresh(words.data(), 4, 2, 8);
        EXPECT_FALSE(node->load_core(text(core.path())) || node->load_game(text(rom)) ||
                     node->save_state(text(dir.path("state"))) || node->load_state(text(rom)));
        EXPECT_EQ(node->get_last_error(),
                  String("Nao e possivel carregar enquanto o core esta em execucao."));
        node->reset_game();
        node->run_frame();
        node->unload_game();
        node->unload_core();
        EXPECT_EQ(shown->updates(), 0); // the frame waits for the core to return
    };
    core->hook = [](const char *entry) {
        if (std::strcmp(entry, "retro_run") == 0) {
            inside_the_core();
        }
    };
    core.clear_calls();
    node->run_frame();
    core->hook = nullptr;
    EXPECT_EQ(core.calls(), std::vector<std::string>{"retro_run"});
    // Run on another thread, the picture waits for the main thread to ask.
    std::thread([&] { node->run_frame(); }).join();
    EXPECT_EQ(shown->updates(), 1);
    EXPECT_EQ(node->get_video_texture(), shown);
    EXPECT_EQ(shown->updates(), 2);
    // Woken by the texture once the core has returned, a script may let it go.
    stand_in::texture_changed() = [&] { node->unload_core(); };
    words[0] = 0x001F; // blue
    node->run_frame();
    EXPECT_FALSE(node->is_core_loaded());
    EXPECT_TRUE(node->get_video_texture().is_null());
    EXPECT_EQ(shown->updates(), 3);
    EXPECT_EQ(shown->pixels()[2], 255);
}

// What a core logs, on any thread, reaches scripts as signals only on the main
// thread once the core has returned; warnings and errors show once each.
TEST_F(Node, CoreLogLinesAreSignalledOnTheMainThreadOutsideTheCore) {
    ASSERT_TRUE(node->load_core(text(core.path())) && node->load_game(text(rom)));
    stand_in::reset();
    retro_log_callback logging{};
    ti::as_core(
        "retro_run",
        [&] {
            ASSERT_TRUE(core->environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &logging));
            logging.log(RETRO_LOG_WARN, "sem %s\n", "BIOS");
            logging.log(RETRO_LOG_DEBUG, "\n");
        },
        [&] {
            node->run_frame();
            EXPECT_EQ(stand_in::emitted().size(), 1u);
        });
    std::thread([&] {
        ti::as_core(
            "retro_run",
            [&] {
                logging.log(RETRO_LOG_WARN, "sem BIOS");
                logging.log(RETRO_LOG_ERROR, "%s", "ROM \xFF");
            },
            [&] { node->run_frame(); });
    }).join();
    ASSERT_EQ(stand_in::emitted().size(), 1u);
    node->get_video_texture();
    ASSERT_EQ(stand_in::emitted().size(), 3u);
    for (const stand_in::Emitted &signal : stand_in::emitted()) {
        EXPECT_EQ(signal.object, node.get());
        EXPECT_EQ(signal.name, "core_log");
    }
    EXPECT_EQ(stand_in::emitted()[2].arguments,
              (std::vector<godot::Variant>{int64_t(RETRO_LOG_ERROR), String(U"ROM \u00FF")}));
    EXPECT_EQ(stand_in::printed(),
              (std::vector<std::string>{"WARNING: Core Libretro: sem BIOS",
                                        "ERROR: Core Libretro: ROM \xC3\xBF"}));
}

retro_log_printf_t key_log;
void log_key(bool, unsigned keycode, std::uint32_t character, std::uint16_t modifiers) {
    key_log(RETRO_LOG_WARN, "tecla %u %u %u", keycode, unsigned(character), unsigned(modifiers));
}

// Positions arrive as Vector2, the core's lists leave as arrays of
// dictionaries, and what the core logs in its keyboard callback reaches the
// script once set_key returns.
TEST_F(Node, InputAndTheCoresListsOfControlsCrossTheBoundary) {
    const unsigned gun = RETRO_DEVICE_SUBCLASS(RETRO_DEVICE_LIGHTGUN, 1);
    const retro_controller_description types[] = {{"Pistola \xE9", gun}};
    const retro_controller_info ports[] = {{types, 1}, {types, 1}, {}};
    const retro_input_descriptor descriptors[] = {{1, gun, 0, 2, "Tiro"}, {}};
    retro_log_callback logging{};
    retro_keyboard_callback keyboard{log_key};
    ASSERT_TRUE(ti::as_core(
        "retro_init",
        [&] {
            core->environment(RETRO_ENVIRONMENT_SET_CONTROLLER_INFO, (void *)ports);
            core->environment(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS, (void *)descriptors);
            core->environment(RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK, &keyboard);
            core->environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &logging);
        },
        [&] { return node->load_core(text(core.path())) && node->load_game(text(rom)); }));
    key_log = logging.log;
    const godot::Dictionary type = node->get_controller_types(1)[0];
    EXPECT_EQ(type["id"].as_int(), gun);
    EXPECT_EQ(String(type["name"]), String(U"Pistola \u00E9"));
    const godot::Array described = node->get_input_descriptors();
    ASSERT_EQ(described.size(), 1);
    const godot::Dictionary fire = described[0];
    EXPECT_EQ(fire["port"].as_int() * 1000 + fire["device"].as_int() + fire["id"].as_int(),
              1000 + gun + 2);
    EXPECT_EQ(String(fire["description"]), String("Tiro"));
    EXPECT_TRUE(node->set_port_device(1, gun) && node->get_port_device(1) == gun);
    EXPECT_EQ(core->port_device[1], gun);

    node->set_pointer(2, 1, godot::Vector2(1.0f, 0.5f), true);
    node->set_lightgun_position(3, godot::Vector2(0.5f, 0.0f));
    ti::as_core(
        "retro_run",
        [&] {
            EXPECT_EQ(core->input_state(2, RETRO_DEVICE_POINTER, 0, RETRO_DEVICE_ID_POINTER_X),
                      32767);
            EXPECT_EQ(core->input_state(2, RETRO_DEVICE_POINTER, 0, RETRO_DEVICE_ID_POINTER_Y), 0);
            EXPECT_EQ(
                core->input_state(3, RETRO_DEVICE_LIGHTGUN, 0, RETRO_DEVICE_ID_LIGHTGUN_SCREEN_Y),
                -32767);
        },
        [&] { node->run_frame(); });
    stand_in::reset();
    node->set_key(RETROK_a, true, 0x1F600, 0x1FF);
    node->set_key(RETROK_b, false, 0x110000, -1);
    ASSERT_EQ(stand_in::emitted().size(), 2u);
    EXPECT_EQ(stand_in::emitted()[0].arguments[1], godot::Variant(String("tecla 97 128512 127")));
    EXPECT_EQ(stand_in::emitted()[1].arguments[1], godot::Variant(String("tecla 98 0 127")));
}

// The core's news becomes signals with their arguments once the core has
// returned; the console's memory is reached by its own addresses.
TEST_F(Node, FrontendNewsBecomesSignalsAndAddressesReachMemory) {
    ASSERT_TRUE(node->load_core(text(core.path())) && node->load_game(text(rom)));
    stand_in::reset();
    const retro_message hello{"ol\xC3\xA1", 120};
    const retro_game_geometry wide{8, 4, 8, 4, 2.0f}, wider{8, 4, 8, 4, 3.0f};
    static std::uint8_t ram[4] = {1, 2, 3, 4};
    const retro_memory_descriptor descriptor{0, ram, 0, 0x100, 0, 0, 4, nullptr};
    const retro_memory_map map{&descriptor, 1};
    retro_rumble_interface rumble{};
    ti::as_core(
        "retro_run",
        [&] {
            core->environment(RETRO_ENVIRONMENT_SET_MESSAGE, (void *)&hello);
            core->environment(RETRO_ENVIRONMENT_SET_GEOMETRY, (void *)&wide);
            core->environment(RETRO_ENVIRONMENT_SET_GEOMETRY, (void *)&wider); // one signal
            core->environment(RETRO_ENVIRONMENT_GET_RUMBLE_INTERFACE, &rumble);
            rumble.set_rumble_state(2, RETRO_RUMBLE_WEAK, 0xFFFF);
            core->environment(RETRO_ENVIRONMENT_SHUTDOWN, nullptr);
            core->environment(RETRO_ENVIRONMENT_SET_MEMORY_MAPS, (void *)&map);
            EXPECT_TRUE(stand_in::emitted().empty());
        },
        [&] { node->run_frame(); });
    using Variants = std::vector<godot::Variant>;
    const std::pair<std::string, Variants> expected[] = {
        {"core_message", {String(U"ol\u00E1"), 2.0}},
        {"av_info_changed", {}},
        {"rumble_changed", {int64_t(2), int64_t(1), 1.0}},
        {"shutdown_requested", {}},
    };
    ASSERT_EQ(stand_in::emitted().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(stand_in::emitted()[i].name, expected[i].first);
        EXPECT_EQ(stand_in::emitted()[i].arguments, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(node->get_aspect_ratio(), 3.0);
    const godot::PackedByteArray middle = node->read_address(0x101, 2);
    ASSERT_EQ(middle.size(), 2);
    EXPECT_EQ(middle[0] * 10 + middle[1], 23);
    EXPECT_EQ(node->read_address(-1, 1).size() + node->read_address(0x103, 2).size(), 0);
    godot::PackedByteArray nine;
    nine.push_back(9);
    EXPECT_TRUE(node->write_address(0x100, nine) && !node->write_address(-0x100, nine));
    EXPECT_EQ(ram[0], 9);
}

// Where an exported game keeps them: res:// inside its pack, its cores beside
// the executable, user:// in its data directory.
TEST_F(Node, ReachesTheFilesOfAnExportedGame) {
    const std::string core_file = core.path();
    const std::size_t cut = core_file.rfind('/', core_file.rfind('/') - 1);
    stand_in::executable_directory() = core_file.substr(0, cut);
    stand_in::pack_directory() = dir.path("pack");
    stand_in::user_directory() = dir.path("user");
    std::filesystem::create_directories(ti::path_of(dir.path("pack/bios/sub")));
    std::filesystem::create_directories(ti::path_of(dir.path("pack/roms")));
    std::vector<std::uint8_t> game(3 << 20);
    for (std::size_t i = 0; i < game.size(); ++i) {
        game[i] = static_cast<std::uint8_t>(i * 7 >> 3);
    }
    ti::write_bytes(dir.path("pack/roms/big.sfc"), game);
    ti::write_bytes(dir.path("pack/bios/sub/bios.bin"), {7});
    node->set_paths(text("res://bios"), text("res://saves"));
    const char *system = nullptr, *saves = "";
    const auto ask_directories = [&] {
        core->environment(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, &system);
        core->environment(RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, &saves);
    };
    ASSERT_TRUE(ti::as_core("retro_init", ask_directories, [&] {
        return node->load_core(text("res://" + core_file.substr(cut + 1)));
    }));
    EXPECT_EQ(ti::read_bytes(std::string(system) + "/sub/bios.bin"), std::vector<std::uint8_t>{7});
    EXPECT_EQ(saves, nullptr); // nothing is ever written into the pack

    ASSERT_TRUE(node->load_game(text("res://roms/big.sfc"))); // read in pieces
    ASSERT_EQ(core->game_size, game.size());
    EXPECT_EQ(std::memcmp(core->game_data, game.data(), game.size()), 0);
    EXPECT_FALSE(node->save_state(text("res://state")));
    EXPECT_TRUE(node->save_state(text("user://state")));
    std::filesystem::rename(ti::path_of(dir.path("user/state")),
                            ti::path_of(dir.path("pack/state")));
    EXPECT_TRUE(node->load_state(text("res://state")));

    // A core that opens the game itself gets a copy named by its content,
    // kept while the game stays the same.
    core->need_fullpath = true;
    std::string copies[3];
    std::filesystem::file_time_type written;
    for (std::string &copy : copies) {
        if (&copy == &copies[2]) {
            game[0] ^= 1;
            ti::write_bytes(dir.path("pack/roms/big.sfc"), game);
        }
        ASSERT_TRUE(node->load_game(text("res://roms/big.sfc")));
        copy = core->game_path;
        EXPECT_EQ(ti::read_bytes(copy), game);
        const auto time = std::filesystem::last_write_time(ti::path_of(copy));
        EXPECT_TRUE(&copy != &copies[1] || time == written); // not written again
        written = time;
    }
    EXPECT_EQ(copies[0], copies[1]);
    EXPECT_FALSE(ti::file_exists(copies[0]));
    EXPECT_EQ(copies[2].rfind(dir.path("user/"), 0), 0u);

    for (const char *missing : {"res://roms/none.sfc", "res://roms", "res://"}) {
        EXPECT_FALSE(node->load_game(text(missing)));
        EXPECT_EQ(node->get_last_error(), String("Nao foi possivel abrir a ROM."));
    }
    EXPECT_FALSE(node->load_core(text("res://none_libretro.so")));
    EXPECT_EQ(node->get_last_error(),
              String("Nao foi possivel carregar o core Libretro: res://none_libretro.so"));
    EXPECT_FALSE(ti::file_exists("res:")); // nothing written beside the game either
    std::filesystem::remove_all("res:");   // so that a fault leaves nothing for the next run
}

// A settings menu is built from what these tell, and rebuilt on the signal.
TEST_F(Node, CoreOptionsTellAMenuWhatToShow) {
    // clang-format off
    retro_core_option_v2_category categories[] = {{"video", "V\xC3\xAD" "deo", "Imagem"}, {}};
    retro_core_option_v2_definition definitions[] = {
        {"scale", "Escala", "Tamanho", "Quanto", nullptr, "video", {{"1x", nullptr}, {"2x", "Dobro"}, {}}, "2x"}, {}};
    // clang-format on
    retro_core_options_v2 options{categories, definitions};
    stand_in::reset();
    ASSERT_TRUE(ti::as_core(
        "retro_init", [&] { core->environment(RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, &options); },
        [&] { return node->load_core(text(core.path())); }));
    ASSERT_EQ(stand_in::emitted().size(), 1u);
    EXPECT_EQ(stand_in::emitted()[0].name, "core_options_changed");
    const godot::Dictionary info = node->get_core_option_info("scale");
    const std::pair<const char *, godot::Variant> expected[] = {
        {"label", String("Escala")},
        {"description", String("Quanto")},
        {"label_in_category", String("Tamanho")},
        {"category", String("video")},
        {"visible", true},
        {"default", String("2x")},
        {"value", String("2x")},
    };
    for (const auto &[key, value] : expected) {
        EXPECT_EQ(info[key], value) << key;
    }
    const godot::PackedStringArray values = info["values"], labels = info["value_labels"];
    ASSERT_EQ(values.size() * 10 + labels.size(), 22);
    EXPECT_EQ(values[0] + labels[0] + values[1] + labels[1], String("1x1x2xDobro"));
    EXPECT_TRUE(node->get_core_option_info("Scale").is_empty());
    const godot::Dictionary category = node->get_core_option_categories()[0];
    EXPECT_EQ(String(category["key"]) + String(category["label"]) + String(category["description"]),
              String(U"videoV\u00EDdeoImagem"));
}

// A core that opens its files through the frontend reads the pack itself.
TEST_F(Node, ACoreReadsFilesOfThePackThroughTheVfs) {
    stand_in::pack_directory() = dir.path("pack");
    std::filesystem::create_directories(ti::path_of(dir.path("pack/cd/extra")));
    ti::write_bytes(dir.path("pack/cd/track.bin"), {5, 6, 7});
    ti::write_bytes(dir.path("pack/cd/extra/a.txt"), {1});
    retro_vfs_interface_info info{3, nullptr};
    ASSERT_TRUE(ti::as_core(
        "retro_init", [&] { core->environment(RETRO_ENVIRONMENT_GET_VFS_INTERFACE, &info); },
        [&] { return node->load_core(text(core.path())); }));
    const retro_vfs_interface &vfs = *info.iface;
    EXPECT_EQ(vfs.open("res://cd/track.bin", RETRO_VFS_FILE_ACCESS_READ_WRITE, 0), nullptr);
    retro_vfs_file_handle *track = vfs.open("res://cd/track.bin", RETRO_VFS_FILE_ACCESS_READ, 0);
    ASSERT_NE(track, nullptr);
    std::uint8_t bytes[4] = {};
    EXPECT_EQ(vfs.seek(track, 1, RETRO_VFS_SEEK_POSITION_START), 1);
    EXPECT_EQ(vfs.read(track, bytes, sizeof bytes), 2);
    EXPECT_EQ(bytes[0] * 10 + bytes[1], 67);
    EXPECT_EQ(vfs.write(track, bytes, 1) + vfs.seek(track, -10, RETRO_VFS_SEEK_POSITION_CURRENT),
              -2);
    EXPECT_EQ(vfs.close(track), 0);
    std::int32_t size = 0;
    EXPECT_EQ(vfs.stat("res://cd/track.bin", &size) * 10 + size, RETRO_VFS_STAT_IS_VALID * 10 + 3);
    EXPECT_EQ(vfs.stat("res://cd", nullptr), RETRO_VFS_STAT_IS_VALID | RETRO_VFS_STAT_IS_DIRECTORY);
    EXPECT_EQ(vfs.mkdir("res://cd/new") + vfs.remove("res://cd/track.bin"), -2);
    retro_vfs_dir_handle *listing = vfs.opendir("res://cd", false);
    ASSERT_TRUE(listing != nullptr && vfs.readdir(listing));
    EXPECT_STREQ(vfs.dirent_get_name(listing), "extra");
    EXPECT_TRUE(vfs.dirent_is_dir(listing) && vfs.readdir(listing));
    EXPECT_STREQ(vfs.dirent_get_name(listing), "track.bin");
    EXPECT_TRUE(!vfs.dirent_is_dir(listing) && !vfs.readdir(listing));
    EXPECT_EQ(vfs.closedir(listing), 0);
}

// Two discs; the second is in the tray.
bool disc_ejected = false;
unsigned disc = 0;
std::string disc_added;

TEST_F(Node, TheDiscTrayIsWorkedFromAScript) {
    static const retro_disk_control_ext_callback tray{
        [](bool ejected) { return (disc_ejected = ejected), true; },
        [] { return disc_ejected; },
        [] { return disc; },
        [](unsigned index) { return (disc = index), true; },
        [] { return 2u; },
        [](unsigned, const retro_game_info *info) { return (disc_added = info->path), true; },
        [] { return true; },
        nullptr,
        nullptr,
        [](unsigned index, char *label, size_t length) {
            return std::snprintf(label, length, "Disco %u", index) > 0;
        }};
    ASSERT_TRUE(ti::as_core(
        "retro_init",
        [&] { core->environment(RETRO_ENVIRONMENT_SET_DISK_CONTROL_EXT_INTERFACE, (void *)&tray); },
        [&] { return node->load_core(text(core.path())); }));
    EXPECT_FALSE(node->set_disk_index(1) || node->get_disk_count() != 0);
    ASSERT_TRUE(node->load_game(text(rom)));
    EXPECT_TRUE(node->set_disk_index(1) && !node->is_disk_ejected());
    EXPECT_EQ(node->get_disk_index() * 10 + node->get_disk_count(), 12);
    EXPECT_TRUE(node->set_disk_ejected(true) && node->is_disk_ejected());
    EXPECT_EQ(node->get_disk_label(1), String("Disco 1"));
    EXPECT_TRUE(node->add_disk(text(dir.path("disco \xC3\xB1.bin"))));
    EXPECT_EQ(disc_added, dir.path("disco \xC3\xB1.bin"));
}

} // namespace
