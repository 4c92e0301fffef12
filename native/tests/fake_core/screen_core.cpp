// A libretro core for the drop-in screen's checks in a real engine: it asks
// what a current frontend answers, on a schedule of frames. Its game is any
// file whose first byte is not zero; a zero first byte is refused with a
// warning in the log (an error would fail the engine checks, which fail on
// any ERROR line).
//   load: picture turned a quarter, 4x2 at 2:1, 60 fps, 32000 Hz
//   frame 3: 50 fps and 48000 Hz; frame 4: port 0 strong motor full;
//   frame 5: still; frame 6: a message; frame 8: shut down
// It declares one option in one category, and has a tray of two discs.
#include <libretro.h>

#include <cstdint>

namespace {

retro_environment_t environment;
retro_video_refresh_t video;
retro_audio_sample_batch_t audio;
retro_log_printf_t log;
retro_rumble_interface rumble;
unsigned frame;
double fps, rate;

bool ejected;
unsigned disc;
const retro_disk_control_ext_callback tray{
    [](bool eject) { return (ejected = eject), true; },
    [] { return ejected; },
    [] { return disc; },
    [](unsigned index) { return ejected && index < 2 && ((disc = index), true); },
    [] { return 2u; },
    [](unsigned, const retro_game_info *) { return false; },
    [] { return false; },
    nullptr,
    nullptr,
    nullptr};

} // namespace

extern "C" {

RETRO_API void retro_set_environment(retro_environment_t cb) {
    environment = cb;
    retro_log_callback logging{};
    log = cb(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &logging) ? logging.log : nullptr;
    static retro_core_option_v2_category categories[] = {{"video", "Video", "Imagem"}, {}};
    static retro_core_option_v2_definition options[] = {{"screen_scale",
                                                         "Escala",
                                                         nullptr,
                                                         "Tamanho",
                                                         nullptr,
                                                         "video",
                                                         {{"1x", nullptr}, {"2x", "Dobro"}, {}},
                                                         "2x"},
                                                        {}};
    retro_core_options_v2 declared{categories, options};
    cb(RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2, &declared);
    cb(RETRO_ENVIRONMENT_SET_DISK_CONTROL_EXT_INTERFACE,
       const_cast<retro_disk_control_ext_callback *>(&tray));
}
RETRO_API void retro_set_video_refresh(retro_video_refresh_t cb) { video = cb; }
RETRO_API void retro_set_audio_sample(retro_audio_sample_t) {}
RETRO_API void retro_set_audio_sample_batch(retro_audio_sample_batch_t cb) { audio = cb; }
RETRO_API void retro_set_input_poll(retro_input_poll_t) {}
RETRO_API void retro_set_input_state(retro_input_state_t) {}
RETRO_API void retro_init() {}
RETRO_API void retro_deinit() {}
RETRO_API unsigned retro_api_version() { return RETRO_API_VERSION; }

RETRO_API void retro_get_system_info(retro_system_info *info) {
    *info = {"screen check", "1", "bin", false, false};
}

RETRO_API void retro_get_system_av_info(retro_system_av_info *info) {
    *info = {{4, 2, 4, 2, 2.0f}, {fps, rate}};
}

RETRO_API bool retro_load_game(const retro_game_info *game) {
    if (game == nullptr || game->size == 0 ||
        static_cast<const std::uint8_t *>(game->data)[0] == 0) {
        if (log != nullptr) {
            log(RETRO_LOG_WARN, "jogo invalido\n");
        }
        return false;
    }
    frame = 0;
    fps = 60.0;
    rate = 32000.0;
    unsigned turn = 1, format = RETRO_PIXEL_FORMAT_XRGB8888;
    environment(RETRO_ENVIRONMENT_SET_ROTATION, &turn);
    environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format);
    rumble = {};
    environment(RETRO_ENVIRONMENT_GET_RUMBLE_INTERFACE, &rumble);
    return true;
}

RETRO_API void retro_run() {
    ++frame;
    if (frame == 3) {
        fps = 50.0;
        rate = 48000.0;
        retro_system_av_info info;
        retro_get_system_av_info(&info);
        environment(RETRO_ENVIRONMENT_SET_SYSTEM_AV_INFO, &info);
    }
    if ((frame == 4 || frame == 5) && rumble.set_rumble_state != nullptr) {
        rumble.set_rumble_state(0, RETRO_RUMBLE_STRONG, frame == 4 ? 0xFFFF : 0);
    }
    if (frame == 6) {
        const retro_message message{"disco 2", 120};
        environment(RETRO_ENVIRONMENT_SET_MESSAGE, const_cast<retro_message *>(&message));
    }
    if (frame == 8) {
        environment(RETRO_ENVIRONMENT_SHUTDOWN, nullptr);
    }
    static const std::uint32_t pixels[8] = {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000,
                                            0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF};
    video(pixels, 4, 2, 16);
    static std::int16_t sound[2 * 960];
    audio(sound, static_cast<std::size_t>(rate / fps));
}

RETRO_API void retro_unload_game() {}
RETRO_API void retro_reset() {}
RETRO_API size_t retro_serialize_size() { return 0; }
RETRO_API bool retro_serialize(void *, size_t) { return false; }
RETRO_API bool retro_unserialize(const void *, size_t) { return false; }
RETRO_API void *retro_get_memory_data(unsigned) { return nullptr; }
RETRO_API size_t retro_get_memory_size(unsigned) { return 0; }
RETRO_API void retro_cheat_reset() {}
RETRO_API void retro_cheat_set(unsigned, bool, const char *) {}
RETRO_API bool retro_load_game_special(unsigned, const retro_game_info *, size_t) { return false; }
RETRO_API unsigned retro_get_region() { return RETRO_REGION_NTSC; }
RETRO_API void retro_set_controller_port_device(unsigned, unsigned) {}

} // extern "C"
