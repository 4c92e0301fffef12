#pragma once

// The knobs and the log of the fake libretro core. A test reaches them through
// `fake_core_control`, exported by every fake core build.

#include <libretro.h>

#include <cstddef>
#include <cstdint>

struct FakeCoreControl {
    // What the core does.
    bool need_fullpath;
    bool accept_game;
    retro_system_av_info av_info;
    std::uint8_t save_ram[64];
    std::size_t save_ram_size; // what retro_get_memory_size reports
    bool save_ram_null;        // retro_get_memory_data answers null
    std::uint8_t system_ram[64];
    std::size_t system_ram_size;
    const char *valid_extensions;
    bool block_extract;
    bool support_no_game; // declared in retro_set_environment
    // With need_fullpath: retro_load_game opens the game and every file its
    // cue sheet or playlist names, and fails when one is missing; each
    // retro_run opens them again and writes 1 (all there) or 2 (one
    // missing) into system RAM's first byte.
    bool open_named_files;
    // Asked in retro_set_environment, when set.
    const retro_system_content_info_override *content_overrides;
    std::size_t serialize_size; // retro_serialize_size
    bool serialize_result;      // retro_serialize writes `state` and answers this
    std::uint8_t state[64];
    bool unserialize_result;
    // Delivered by each retro_run, when set.
    const void *frame_data;
    unsigned frame_width, frame_height;
    std::size_t frame_pitch;
    const std::int16_t *audio;
    std::size_t audio_frames;
    // Called on entry to every entry point, with its name; lets a test act as
    // the core from inside any of them.
    void (*hook)(const char *entry_point);

    // What the core saw.
    const char *calls[512];
    std::size_t call_count;
    retro_environment_t environment;
    retro_video_refresh_t video_refresh;
    retro_audio_sample_t audio_sample;
    retro_audio_sample_batch_t audio_sample_batch;
    retro_input_poll_t input_poll;
    retro_input_state_t input_state;
    char game_path[1024];
    bool game_path_null;
    bool game_null; // retro_load_game(NULL)
    // GET_GAME_INFO_EXT inside retro_load_game: its answer and the info.
    bool game_info_ext_answer;
    const retro_game_info_ext *game_info_ext;
    const void *game_data;
    std::size_t game_size;
    std::uint8_t game_bytes[64]; // the first bytes of the game data
    std::size_t unserialized_size;
    std::uint8_t unserialized[64];
    unsigned port_device[2];      // last retro_set_controller_port_device arguments
    unsigned devices_told[32][2]; // every port and device, in order
    std::size_t devices_told_count;
};

extern "C" RETRO_API FakeCoreControl *fake_core_control();
// Back to a core that accepts games, has no save RAM and a 16-byte state.
extern "C" RETRO_API void fake_core_reset();
