#include "callbacks.h"
#include "player.h"

#include <cstring>

namespace tovarune {

Player::~Player() { unload_core(); }

bool Player::load_core(const std::string &path) {
    unload_core();

    core_module_ = open_library(path);
    if (core_module_ == nullptr) {
        last_error_ = "Nao foi possivel carregar o core Libretro: " + path;
        return false;
    }
    if (const char *missing = bind_core_api(core_api_, core_module_)) {
        last_error_ = std::string("Core invalido: faltando ") + missing;
        close_core_module();
        return false;
    }
    if (core_api_.retro_api_version() != RETRO_API_VERSION) {
        last_error_ = "Versao da API Libretro incompativel.";
        close_core_module();
        return false;
    }
    // Optional: some cores ignore the joypad until the port's device is named.
    void *port_device = find_symbol(core_module_, "retro_set_controller_port_device");
    std::memcpy(&set_controller_port_device_, &port_device, sizeof port_device);

    // Before the callbacks go in, so that requests made from inside
    // retro_set_environment and retro_init already reach this player.
    active_player = this;
    core_api_.retro_set_environment(environment_callback);
    core_api_.retro_set_video_refresh(video_refresh_callback);
    core_api_.retro_set_audio_sample(audio_sample_callback);
    core_api_.retro_set_audio_sample_batch(audio_sample_batch_callback);
    core_api_.retro_set_input_poll(input_poll_callback);
    core_api_.retro_set_input_state(input_state_callback);
    core_api_.retro_init();

    core_loaded_ = true;
    last_error_.clear();
    return true;
}

void Player::unload_core() {
    unload_game();
    if (core_loaded_ && core_api_.retro_deinit != nullptr) {
        core_api_.retro_deinit();
    }
    core_loaded_ = false;
    if (active_player == this) {
        active_player = nullptr;
    }
    close_core_module();
}

void Player::close_core_module() {
    if (core_module_ != nullptr) {
        close_library(core_module_);
        core_module_ = nullptr;
    }
    core_api_ = CoreApi{};
    set_controller_port_device_ = nullptr;
    // No core is left that could still read a replaced directory text.
    retired_paths_.clear();
}

} // namespace tovarune
