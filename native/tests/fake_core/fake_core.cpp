// A libretro core that does only what its test asks, and logs every call.
// Build variants leave out an entry point, report another API version, or
// lack the optional retro_set_controller_port_device, or import a helper DLL,
// or render with OpenGL (fake_gl.cpp).

#include "fake_core_control.h"
#ifdef FAKE_CORE_GL
#include "fake_gl.h"
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef FAKE_CORE_WITH_HELPER
// From a DLL of its own, which the loader must find beside the core.
extern "C" __declspec(dllimport) unsigned fake_core_helper_api_version();
#define FAKE_CORE_API_VERSION fake_core_helper_api_version()
#endif

#ifndef FAKE_CORE_API_VERSION
#define FAKE_CORE_API_VERSION RETRO_API_VERSION
#endif

namespace {

FakeCoreControl control;

#ifdef FAKE_CORE_INPUT_ECHO
// For scripts in a real engine, which reach no knobs: every frame writes what
// the core read into its system RAM, as little-endian 16-bit words.
std::uint16_t picture[100 * 50];
std::uint16_t last_key[4];

void record_key(bool down, unsigned keycode, std::uint32_t character, std::uint16_t modifiers) {
    last_key[0] = static_cast<std::uint16_t>(keycode);
    last_key[1] = static_cast<std::uint16_t>(character);
    last_key[2] = modifiers;
    last_key[3] = down;
}

void echo_input() {
    // clang-format off
    static const unsigned reads[][4] = { // port, device, index, id
        {0, RETRO_DEVICE_POINTER, 0, 0}, {0, RETRO_DEVICE_POINTER, 0, 1}, {0, RETRO_DEVICE_POINTER, 0, 2},
        {1, RETRO_DEVICE_MOUSE, 0, 0}, {1, RETRO_DEVICE_MOUSE, 0, 1}, {1, RETRO_DEVICE_MOUSE, 0, 2},
        {1, RETRO_DEVICE_MOUSE, 0, 4}, {2, RETRO_DEVICE_LIGHTGUN, 0, 13}, {2, RETRO_DEVICE_LIGHTGUN, 0, 14},
        {2, RETRO_DEVICE_LIGHTGUN, 0, 15}, {2, RETRO_DEVICE_LIGHTGUN, 0, 2}, {0, RETRO_DEVICE_KEYBOARD, 0, RETROK_a},
    };
    // clang-format on
    std::uint16_t words[16];
    std::size_t n = 0;
    for (const auto &read : reads) {
        words[n++] =
            static_cast<std::uint16_t>(control.input_state(read[0], read[1], read[2], read[3]));
    }
    std::memcpy(words + n, last_key, sizeof last_key);
    std::memcpy(control.system_ram, words, sizeof words);
}
#endif

// Opens a game and, for a cue sheet or playlist, what it names, relative to
// its folder, as a CD core does.
bool opens_all(const std::string &path, int depth = 0) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const std::string extension = path.substr(path.find_last_of('.') + 1);
    std::vector<std::string> named;
    char line[512];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        std::string text(line, std::strcspn(line, "\r\n"));
        const std::size_t quote = text.find('"');
        if (extension == "cue" && text.rfind("FILE", 0) == 0 && quote != std::string::npos) {
            named.push_back(text.substr(quote + 1, text.find('"', quote + 1) - quote - 1));
        } else if (extension == "m3u" && !text.empty() && text[0] != '#') {
            named.push_back(text);
        }
    }
    std::fclose(file);
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    for (const std::string &name : named) {
        if (depth > 2 || !opens_all(folder + name, depth + 1)) {
            return false;
        }
    }
    return true;
}

void record(const char *entry_point) {
    if (control.call_count < sizeof control.calls / sizeof control.calls[0]) {
        control.calls[control.call_count++] = entry_point;
#ifdef FAKE_CORE_GL
        fake_gl_saw(control.call_count - 1);
#endif
    }
    if (control.hook != nullptr) {
        control.hook(entry_point);
    }
}

} // namespace

#ifdef FAKE_CORE_GL
void fake_core_record(const char *entry_point) { record(entry_point); }
#endif

extern "C" {

RETRO_API FakeCoreControl *fake_core_control() { return &control; }

RETRO_API void fake_core_reset() {
    control = FakeCoreControl{};
    control.accept_game = true;
    control.serialize_size = 16;
    control.serialize_result = true;
    control.unserialize_result = true;
#ifdef FAKE_CORE_GL
    control.av_info.geometry = {8, 6, 8, 6, 0.0f}; // the size it renders at
    fake_gl_reset();
#endif
#ifdef FAKE_CORE_CD
    control.need_fullpath = true;
    control.open_named_files = true;
    control.support_no_game = true;
    control.valid_extensions = "cue|m3u|bin";
    control.system_ram_size = 1;
#endif
#ifdef FAKE_CORE_INPUT_ECHO
    control.system_ram_size = 32;
    control.av_info = {{100, 50, 100, 50, 2.0f}, {60.0, 48000.0}};
    control.frame_data = picture;
    control.frame_width = 100;
    control.frame_height = 50;
    control.frame_pitch = 200;
#endif
}

RETRO_API void retro_init() { record("retro_init"); }
RETRO_API void retro_deinit() { record("retro_deinit"); }

RETRO_API unsigned retro_api_version() {
    record("retro_api_version");
    return FAKE_CORE_API_VERSION;
}

RETRO_API void retro_get_system_info(retro_system_info *info) {
    record("retro_get_system_info");
    info->library_name = "fake";
    info->library_version = "1";
    info->valid_extensions = control.valid_extensions;
    info->need_fullpath = control.need_fullpath;
    info->block_extract = control.block_extract;
}

RETRO_API void retro_get_system_av_info(retro_system_av_info *info) {
    record("retro_get_system_av_info");
    *info = control.av_info;
}

RETRO_API void retro_set_environment(retro_environment_t cb) {
    control.environment = cb;
    record("retro_set_environment");
    if (control.support_no_game) {
        const bool yes = true;
        cb(RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, const_cast<bool *>(&yes));
    }
    if (control.content_overrides != nullptr) {
        cb(RETRO_ENVIRONMENT_SET_CONTENT_INFO_OVERRIDE,
           const_cast<retro_system_content_info_override *>(control.content_overrides));
    }
}
RETRO_API void retro_set_video_refresh(retro_video_refresh_t cb) {
    control.video_refresh = cb;
    record("retro_set_video_refresh");
}
RETRO_API void retro_set_audio_sample(retro_audio_sample_t cb) {
    control.audio_sample = cb;
    record("retro_set_audio_sample");
}
RETRO_API void retro_set_audio_sample_batch(retro_audio_sample_batch_t cb) {
    control.audio_sample_batch = cb;
    record("retro_set_audio_sample_batch");
}
RETRO_API void retro_set_input_poll(retro_input_poll_t cb) {
    control.input_poll = cb;
    record("retro_set_input_poll");
}
RETRO_API void retro_set_input_state(retro_input_state_t cb) {
    control.input_state = cb;
    record("retro_set_input_state");
}

#ifndef FAKE_CORE_WITHOUT_PORT_DEVICE
RETRO_API void retro_set_controller_port_device(unsigned port, unsigned device) {
    record("retro_set_controller_port_device");
    control.port_device[0] = port;
    control.port_device[1] = device;
    if (control.devices_told_count < sizeof control.devices_told / sizeof control.devices_told[0]) {
        control.devices_told[control.devices_told_count][0] = port;
        control.devices_told[control.devices_told_count++][1] = device;
    }
}
#endif

RETRO_API bool retro_load_game(const retro_game_info *game) {
    record("retro_load_game");
#ifdef FAKE_CORE_INPUT_ECHO
    retro_keyboard_callback keyboard{record_key};
    control.environment(RETRO_ENVIRONMENT_SET_KEYBOARD_CALLBACK, &keyboard);
#endif
    control.game_info_ext_answer =
        control.environment(RETRO_ENVIRONMENT_GET_GAME_INFO_EXT, &control.game_info_ext);
    control.game_null = game == nullptr;
    if (game == nullptr) {
        return control.accept_game;
    }
    control.game_path_null = game->path == nullptr;
    if (game->path != nullptr) {
        std::strncpy(control.game_path, game->path, sizeof control.game_path - 1);
    }
    control.game_data = game->data;
    control.game_size = game->size;
    if (game->data != nullptr) {
        std::memcpy(control.game_bytes, game->data,
                    std::min(game->size, sizeof control.game_bytes));
    }
    if (control.open_named_files && (game->path == nullptr || !opens_all(game->path))) {
        return false;
    }
#ifdef FAKE_CORE_GL
    if (!fake_gl_load_game(control.environment)) {
        return false;
    }
#endif
    return control.accept_game;
}

RETRO_API void retro_unload_game() { record("retro_unload_game"); }

RETRO_API void retro_run() {
    record("retro_run");
    if (control.input_poll != nullptr) {
        control.input_poll();
    }
#ifdef FAKE_CORE_GL
    fake_gl_run(control.video_refresh);
#endif
    if (control.frame_data != nullptr && control.video_refresh != nullptr) {
        control.video_refresh(control.frame_data, control.frame_width, control.frame_height,
                              control.frame_pitch);
    }
    if (control.audio != nullptr && control.audio_sample_batch != nullptr) {
        control.audio_sample_batch(control.audio, control.audio_frames);
    }
#ifdef FAKE_CORE_INPUT_ECHO
    echo_input();
#endif
    if (control.open_named_files) {
        control.system_ram[0] = opens_all(control.game_path) ? 1 : 2;
    }
}

RETRO_API void retro_reset() { record("retro_reset"); }

RETRO_API size_t retro_serialize_size() {
    record("retro_serialize_size");
    return control.serialize_size;
}

RETRO_API bool retro_serialize(void *data, size_t size) {
    record("retro_serialize");
    if (control.serialize_result) {
        std::memcpy(data, control.state, std::min(size, sizeof control.state));
    }
    return control.serialize_result;
}

#ifndef FAKE_CORE_WITHOUT_UNSERIALIZE
RETRO_API bool retro_unserialize(const void *data, size_t size) {
    record("retro_unserialize");
    control.unserialized_size = size;
    std::memcpy(control.unserialized, data, std::min(size, sizeof control.unserialized));
    return control.unserialize_result;
}
#endif

RETRO_API void *retro_get_memory_data(unsigned id) {
    record("retro_get_memory_data");
    if (id == RETRO_MEMORY_SYSTEM_RAM) {
        return control.system_ram;
    }
    return id == RETRO_MEMORY_SAVE_RAM && !control.save_ram_null ? control.save_ram : nullptr;
}

RETRO_API size_t retro_get_memory_size(unsigned id) {
    record("retro_get_memory_size");
    return id == RETRO_MEMORY_SAVE_RAM     ? control.save_ram_size
           : id == RETRO_MEMORY_SYSTEM_RAM ? control.system_ram_size
                                           : 0;
}

// Entry points every core has but the player never calls.
RETRO_API void retro_cheat_reset() {}
RETRO_API void retro_cheat_set(unsigned, bool, const char *) {}
RETRO_API bool retro_load_game_special(unsigned, const retro_game_info *, size_t) { return false; }
RETRO_API unsigned retro_get_region() { return RETRO_REGION_NTSC; }

} // extern "C"

namespace {
const bool reset_at_load = (fake_core_reset(), true);
} // namespace
