#pragma once

#include <libretro.h>

#include <cstddef>

namespace tovarune {

// The twenty entry points the player calls. All null while no library is held.
struct CoreApi {
    void (*retro_init)() = nullptr;
    void (*retro_deinit)() = nullptr;
    unsigned (*retro_api_version)() = nullptr;
    void (*retro_get_system_info)(retro_system_info *) = nullptr;
    void (*retro_get_system_av_info)(retro_system_av_info *) = nullptr;
    void (*retro_set_environment)(retro_environment_t) = nullptr;
    void (*retro_set_video_refresh)(retro_video_refresh_t) = nullptr;
    void (*retro_set_audio_sample)(retro_audio_sample_t) = nullptr;
    void (*retro_set_audio_sample_batch)(retro_audio_sample_batch_t) = nullptr;
    void (*retro_set_input_poll)(retro_input_poll_t) = nullptr;
    void (*retro_set_input_state)(retro_input_state_t) = nullptr;
    bool (*retro_load_game)(const retro_game_info *) = nullptr;
    void (*retro_unload_game)() = nullptr;
    void (*retro_run)() = nullptr;
    void (*retro_reset)() = nullptr;
    size_t (*retro_serialize_size)() = nullptr;
    bool (*retro_serialize)(void *, size_t) = nullptr;
    bool (*retro_unserialize)(const void *, size_t) = nullptr;
    void *(*retro_get_memory_data)(unsigned) = nullptr;
    size_t (*retro_get_memory_size)(unsigned) = nullptr;
};

// Visits every entry point with its exported name, in binding order.
template <typename Api, typename Visit> void for_each_entry_point(Api &api, Visit &&visit) {
    visit(api.retro_init, "retro_init");
    visit(api.retro_deinit, "retro_deinit");
    visit(api.retro_api_version, "retro_api_version");
    visit(api.retro_get_system_info, "retro_get_system_info");
    visit(api.retro_get_system_av_info, "retro_get_system_av_info");
    visit(api.retro_set_environment, "retro_set_environment");
    visit(api.retro_set_video_refresh, "retro_set_video_refresh");
    visit(api.retro_set_audio_sample, "retro_set_audio_sample");
    visit(api.retro_set_audio_sample_batch, "retro_set_audio_sample_batch");
    visit(api.retro_set_input_poll, "retro_set_input_poll");
    visit(api.retro_set_input_state, "retro_set_input_state");
    visit(api.retro_load_game, "retro_load_game");
    visit(api.retro_unload_game, "retro_unload_game");
    visit(api.retro_run, "retro_run");
    visit(api.retro_reset, "retro_reset");
    visit(api.retro_serialize_size, "retro_serialize_size");
    visit(api.retro_serialize, "retro_serialize");
    visit(api.retro_unserialize, "retro_unserialize");
    visit(api.retro_get_memory_data, "retro_get_memory_data");
    visit(api.retro_get_memory_size, "retro_get_memory_size");
}

// Looks the twenty names up in order and stops at the first one missing,
// which it returns; null when all were found and `api` is filled.
const char *bind_core_api(CoreApi &api, void *library);

} // namespace tovarune
