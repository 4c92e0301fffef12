// Drives LibretroPlayer as a script would, through the godot-cpp stand-in.

#include "libretro_player.h"
#include "register_types.h"
#include "test_support.h"

#include <stand_in.hpp>

#include <any>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using godot::ImageTexture;
using godot::PackedStringArray;
using godot::PackedVector2Array;
using godot::Ref;
using godot::String;
using tovarune::LibretroPlayer;
namespace stand_in = godot::stand_in;
namespace ti = tovarune::testing;

namespace {

void engine_function() {}
GDExtensionInterfaceFunctionPtr engine(const char *) { return engine_function; }
GDExtensionInterfaceFunctionPtr older_engine(const char *) { return nullptr; }

int library_handle;

// Loads the extension as the engine does and enters every level.
GDExtensionInitialization load_extension() {
    GDExtensionInitialization init{};
    EXPECT_TRUE(tovarune_library_init(engine, &library_handle, &init));
    for (int level = 0; level < GDEXTENSION_MAX_INITIALIZATION_LEVEL; ++level) {
        init.initialize(init.userdata, static_cast<GDExtensionInitializationLevel>(level));
    }
    return init;
}

const stand_in::MethodRecord &bound_method(const std::string &name) {
    static const stand_in::MethodRecord none;
    const stand_in::ClassRecord *player = stand_in::find_class("LibretroPlayer");
    if (player != nullptr) {
        for (const stand_in::MethodRecord &method : player->methods) {
            if (method.name == name) {
                return method;
            }
        }
    }
    ADD_FAILURE() << name << " is not bound";
    return none;
}

String text(const std::string &utf8) { return String::utf8(utf8.c_str()); }

std::vector<String> strings(const PackedStringArray &array) {
    std::vector<String> out;
    for (int64_t i = 0; i < array.size(); ++i) {
        out.push_back(array[i]);
    }
    return out;
}

TEST(Entry, RegistersThePlayerOnceAtTheSceneLevelAsANode) {
    stand_in::reset();
    GDExtensionInitialization init{};
    ASSERT_TRUE(tovarune_library_init(engine, &library_handle, &init));
    EXPECT_EQ(init.minimum_initialization_level, GDEXTENSION_INITIALIZATION_SCENE);

    for (int level = 0; level < GDEXTENSION_MAX_INITIALIZATION_LEVEL; ++level) {
        init.initialize(init.userdata, static_cast<GDExtensionInitializationLevel>(level));
        EXPECT_EQ(stand_in::classes().size(), level < GDEXTENSION_INITIALIZATION_SCENE ? 0u : 1u);
    }
    const stand_in::ClassRecord &player = stand_in::classes().at(0);
    EXPECT_EQ(player.name, "LibretroPlayer");
    EXPECT_EQ(player.parent, "Node");
    EXPECT_EQ(player.level, GDEXTENSION_INITIALIZATION_SCENE);
    EXPECT_FALSE(player.is_virtual);

    for (int level = GDEXTENSION_MAX_INITIALIZATION_LEVEL - 1; level >= 0; --level) {
        init.deinitialize(init.userdata, static_cast<GDExtensionInitializationLevel>(level));
    }
    EXPECT_EQ(stand_in::classes().size(), 1u);
}

TEST(Entry, PassesOnTheBindingsRefusal) {
    stand_in::reset();
    GDExtensionInitialization init{};
    EXPECT_FALSE(tovarune_library_init(older_engine, &library_handle, &init));
}

struct ExpectedMethod {
    std::string name;
    std::vector<std::string> arguments;
    bool is_const;
    std::function<bool(const std::any &)> is_bound_to;
};

template <typename M> std::function<bool(const std::any &)> same_member(M member) {
    return [member](const std::any &bound) {
        const M *pointer = std::any_cast<M>(&bound);
        return pointer != nullptr && *pointer == member;
    };
}

#define METHOD(name, is_const, ...)                                                                \
    ExpectedMethod { #name, {__VA_ARGS__ }, is_const, same_member(&LibretroPlayer::name) }

TEST(MethodTable, ListsTheTwentyOneMethodsInOrder) {
    stand_in::reset();
    load_extension();
    const std::vector<ExpectedMethod> expected = {
        METHOD(load_core, false, "path"),
        METHOD(unload_core, false),
        METHOD(load_game, false, "path"),
        METHOD(unload_game, false),
        METHOD(run_frame, false),
        METHOD(reset_game, false),
        METHOD(set_paths, false, "system_path", "save_path"),
        METHOD(set_button, false, "button_id", "pressed"),
        METHOD(is_core_loaded, true),
        METHOD(is_game_loaded, true),
        METHOD(get_last_error, true),
        METHOD(get_fps, true),
        METHOD(get_sample_rate, true),
        METHOD(get_video_texture, true),
        METHOD(pop_audio_frames, false, "max_frames"),
        METHOD(save_state, false, "path"),
        METHOD(load_state, false, "path"),
        METHOD(get_core_option_keys, true),
        METHOD(get_core_option_values, true, "key"),
        METHOD(get_core_option_value, true, "key"),
        METHOD(set_core_option, false, "key", "value"),
    };
    const std::vector<stand_in::MethodRecord> &bound = stand_in::classes().at(0).methods;
    ASSERT_GE(bound.size(), expected.size()); // the later ones: console_access_node_test.cpp
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(bound[i].name, expected[i].name);
        EXPECT_EQ(bound[i].argument_names, expected[i].arguments);
        EXPECT_EQ(bound[i].parameter_count, expected[i].arguments.size());
        EXPECT_EQ(bound[i].is_const, expected[i].is_const);
        EXPECT_TRUE(expected[i].is_bound_to(bound[i].method));
        if (expected[i].name == "pop_audio_frames") {
            ASSERT_EQ(bound[i].default_arguments.size(), 1u);
            EXPECT_EQ(bound[i].default_arguments[0].get_type(), godot::Variant::INT);
            EXPECT_EQ(bound[i].default_arguments[0].as_int(), 4096);
        } else {
            EXPECT_TRUE(bound[i].default_arguments.empty());
        }
    }
}

// Frames from the fake core: 0RGB1555 words, the libretro default format.
struct Picture {
    Picture(unsigned width, unsigned height)
        : width(width), height(height), words(width * height) {}
    unsigned width, height;
    std::vector<std::uint16_t> words;
};

class Node : public ::testing::Test {
protected:
    void SetUp() override {
        stand_in::reset();
        load_extension();
        ti::write_bytes(rom, {1, 2, 3, 4});
    }

    void TearDown() override {
        node.reset();
        EXPECT_EQ(stand_in::live_images(), 0);
        EXPECT_EQ(stand_in::live_textures(), 0);
        EXPECT_EQ(stand_in::engine_errors(), 0);
    }

    void start_game() {
        ASSERT_TRUE(node->load_core(text(core.path())));
        ASSERT_TRUE(node->load_game(text(rom)));
    }

    // The picture stays delivered by every following frame.
    void deliver(const Picture &picture) {
        core->frame_data = picture.words.data();
        core->frame_width = picture.width;
        core->frame_height = picture.height;
        core->frame_pitch = picture.width * 2;
    }
    void show(const Picture &picture) {
        deliver(picture);
        node->run_frame();
    }

    PackedVector2Array pop_default() {
        return node->pop_audio_frames(static_cast<int32_t>(
            bound_method("pop_audio_frames").default_arguments.at(0).as_int()));
    }

    ti::FakeCore core;
    ti::TempDir dir;
    std::string rom = dir.path("jogo ñ.sfc");
    std::unique_ptr<LibretroPlayer> node = std::make_unique<LibretroPlayer>();
};

TEST_F(Node, NewNodeAnswersWithDefaults) {
    EXPECT_FALSE(node->is_core_loaded());
    EXPECT_FALSE(node->is_game_loaded());
    EXPECT_EQ(node->get_last_error(), String());
    EXPECT_EQ(node->get_fps(), 60.0);
    EXPECT_EQ(node->get_sample_rate(), 48000.0);
    EXPECT_TRUE(node->get_video_texture().is_null());
    EXPECT_EQ(pop_default().size(), 0);
    EXPECT_EQ(node->get_core_option_keys().size(), 0);
    EXPECT_EQ(node->get_core_option_value("any"), String());
    EXPECT_FALSE(node->set_core_option("any", "value"));
}

TEST_F(Node, PlaysAGameFromLoadCoreToFree) {
    const std::string saves = dir.path("salvamentos ção");
    core->av_info.timing.fps = 50.0;
    core->av_info.timing.sample_rate = 32040.0;
    core->save_ram_size = 8;

    node->set_paths(text(dir.path("sistema ç")), text(saves));
    ASSERT_TRUE(node->load_core(text(core.path())));
    EXPECT_TRUE(node->is_core_loaded());
    ASSERT_TRUE(node->load_game(text(rom)));
    EXPECT_TRUE(node->is_game_loaded());
    EXPECT_EQ(node->get_last_error(), String());
    EXPECT_STREQ(core->game_path, rom.c_str());
    EXPECT_EQ(core->game_bytes[3], 4);
    EXPECT_EQ(node->get_fps(), 50.0);
    EXPECT_EQ(node->get_sample_rate(), 32040.0);

    node->set_button(8, true);
    EXPECT_EQ(core->input_state(0, RETRO_DEVICE_JOYPAD, 0, 8), 1);
    EXPECT_EQ(core->input_state(0, RETRO_DEVICE_JOYPAD, 0, 0), 0);

    const std::int16_t samples[] = {100, -100, 32767, -32768};
    core->audio = samples;
    core->audio_frames = 2;
    const Picture picture(4, 2);
    show(picture);
    EXPECT_TRUE(node->get_video_texture().is_valid());
    const PackedVector2Array audio = pop_default();
    ASSERT_EQ(audio.size(), 2);
    EXPECT_FLOAT_EQ(audio[0].x, 100.0f / 32768.0f);
    EXPECT_FLOAT_EQ(audio[0].y, -100.0f / 32768.0f);
    EXPECT_FLOAT_EQ(audio[1].x, 32767.0f / 32768.0f);
    EXPECT_FLOAT_EQ(audio[1].y, -1.0f);

    const std::string state = dir.path("estado ü.state");
    core->state[0] = 0x5A;
    EXPECT_TRUE(node->save_state(text(state)));
    EXPECT_EQ(ti::read_bytes(state).at(0), 0x5A);
    EXPECT_TRUE(node->load_state(text(state)));

    std::memset(core->save_ram, 0xA5, 8);
    core.clear_calls();
    node.reset(); // the engine frees the node with the game running

    EXPECT_EQ(ti::read_bytes(saves + "/jogo ñ.srm"), std::vector<std::uint8_t>(8, 0xA5));
    const std::vector<std::string> calls = core.calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "retro_unload_game");
    EXPECT_EQ(calls.back(), "retro_deinit");
}

TEST_F(Node, TextureIsUpdatedInPlaceUntilTheFrameSizeChanges) {
    start_game();
    EXPECT_TRUE(node->get_video_texture().is_null());

    Picture small(256, 224);
    small.words[0] = 0x001F; // blue 31
    show(small);
    const Ref<ImageTexture> first = node->get_video_texture();
    ASSERT_TRUE(first.is_valid());
    EXPECT_EQ(first->get_width(), 256);
    EXPECT_EQ(first->get_height(), 224);
    ASSERT_EQ(first->pixels().size(), 256 * 224 * 4);
    EXPECT_EQ(first->pixels()[2], 255);
    EXPECT_EQ(first->pixels()[3], 255);
    EXPECT_EQ(stand_in::live_images(), 0);

    small.words[0] = 0x7C00; // red 31
    show(small);
    EXPECT_EQ(node->get_video_texture(), first);
    EXPECT_EQ(first->updates(), 1);
    EXPECT_EQ(first->pixels()[0], 255);
    EXPECT_EQ(first->pixels()[2], 0);

    Picture large(512, 448);
    show(large);
    const Ref<ImageTexture> second = node->get_video_texture();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->get_width(), 512);
    EXPECT_EQ(second->get_height(), 448);
    EXPECT_EQ(first->updates(), 1); // the script's old reference no longer receives frames
    show(large);
    EXPECT_EQ(node->get_video_texture(), second);
    EXPECT_EQ(second->updates(), 1);

    // Frames the host rejects leave the texture as it is.
    core->frame_data = nullptr;
    node->run_frame();
    core->video_refresh(RETRO_HW_FRAME_BUFFER_VALID, 512, 448, 1024);
    core->video_refresh(large.words.data(), 0, 448, 1024);
    core->video_refresh(large.words.data(), 512, 0, 1024);
    EXPECT_EQ(node->get_video_texture(), second);
    EXPECT_EQ(second->updates(), 1);

    node->unload_game();
    EXPECT_TRUE(node->get_video_texture().is_null());
    ASSERT_TRUE(node->load_game(text(rom)));
    EXPECT_TRUE(node->get_video_texture().is_null());
    show(small);
    EXPECT_TRUE(node->get_video_texture().is_valid());
    EXPECT_NE(node->get_video_texture(), first);
    node->load_game(text(rom));
    EXPECT_TRUE(node->get_video_texture().is_null());
}

TEST_F(Node, PopsAudioOldestFirst) {
    start_game();
    std::vector<std::int16_t> samples;
    for (std::int16_t i = 0; i < 10; ++i) {
        samples.insert(samples.end(), {std::int16_t(i * 100), std::int16_t(-i * 100)});
    }
    core->audio = samples.data();
    core->audio_frames = 10;
    node->run_frame();

    EXPECT_EQ(node->pop_audio_frames(0).size(), 0);
    EXPECT_EQ(node->pop_audio_frames(-5).size(), 0);
    const PackedVector2Array first = node->pop_audio_frames(4);
    const PackedVector2Array rest = pop_default();
    ASSERT_EQ(first.size(), 4);
    ASSERT_EQ(rest.size(), 6);
    for (int i = 0; i < 10; ++i) {
        const godot::Vector2 frame = i < 4 ? first[i] : rest[i - 4];
        EXPECT_FLOAT_EQ(frame.x, i * 100 / 32768.0f) << i;
        EXPECT_FLOAT_EQ(frame.y, -i * 100 / 32768.0f) << i;
    }
    EXPECT_EQ(pop_default().size(), 0);
}

TEST_F(Node, FreeingOneOfTwoPlayersLeavesTheOtherServed) {
    const String another_core = text(ti::fake_core_path("fake_core_without_port_device"));
    auto other = std::make_unique<LibretroPlayer>();
    ASSERT_TRUE(node->load_core(another_core));
    ASSERT_TRUE(other->load_core(text(core.path())));
    node.reset();

    const Picture picture(4, 2);
    deliver(picture);
    ASSERT_TRUE(other->load_game(text(rom)));
    other->run_frame();
    EXPECT_TRUE(other->get_video_texture().is_valid());

    // Freeing the served player leaves no player served.
    node = std::make_unique<LibretroPlayer>();
    other->unload_core(); // one player per core library
    ASSERT_TRUE(node->load_core(text(core.path())));
    ASSERT_TRUE(other->load_core(another_core));
    other.reset();
    ASSERT_TRUE(node->load_game(text(rom)));
    node->run_frame();
    EXPECT_TRUE(node->get_video_texture().is_null());
}

// Texts for the options, declared by the fake core when it starts.
FakeCoreControl *declaring_core;
const retro_variable declared_options[] = {
    {"tovarune_região", "Região; Brasil|Japão|\xE9t\xE9"},
    {"Tovarune_b", "B; um|dois"},
    {nullptr, nullptr},
};
void declare_options(const char *entry_point) {
    if (std::strcmp(entry_point, "retro_init") == 0) {
        declaring_core->environment(RETRO_ENVIRONMENT_SET_VARIABLES,
                                    const_cast<retro_variable *>(declared_options));
    }
}

TEST_F(Node, OptionTextsCrossTheBoundary) {
    declaring_core = &core.control();
    core->hook = declare_options;
    ASSERT_TRUE(node->load_core(text(core.path())));
    const String key = text("tovarune_região");

    EXPECT_EQ(strings(node->get_core_option_keys()), (std::vector<String>{"Tovarune_b", key}));
    const std::vector<String> values = strings(node->get_core_option_values(key));
    // Bytes that are not UTF-8 come back one character per byte, silently.
    EXPECT_EQ(values, (std::vector<String>{"Brasil", text("Japão"), String(U"\u00E9t\u00E9")}));
    EXPECT_EQ(stand_in::engine_errors(), 0);

    EXPECT_TRUE(node->set_core_option(key, values[1]));
    EXPECT_EQ(node->get_core_option_value(key), text("Japão"));
    retro_variable asked{"tovarune_região", nullptr};
    ASSERT_TRUE(core->environment(RETRO_ENVIRONMENT_GET_VARIABLE, &asked));
    EXPECT_STREQ(asked.value, "Japão");

    // Re-encoding those characters does not give the core's bytes back.
    EXPECT_FALSE(node->set_core_option(key, values[2]));
    EXPECT_FALSE(node->set_core_option(text("TOVARUNE_REGIÃO"), values[0]));
    EXPECT_EQ(node->get_core_option_value(key), text("Japão"));
}

TEST_F(Node, ErrorsComeBackAsEngineText) {
    EXPECT_FALSE(node->load_game(text(rom)));
    EXPECT_EQ(node->get_last_error(), String("Carregue um core antes da ROM."));

    const std::string missing = dir.path("não há núcleo.so");
    EXPECT_FALSE(node->load_core(text(missing)));
    EXPECT_EQ(node->get_last_error(),
              text("Nao foi possivel carregar o core Libretro: " + missing));
}

} // namespace
