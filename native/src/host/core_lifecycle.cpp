#include "callbacks.h"
#include "core_call.h"
#include "player.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tovarune {

namespace {

// Libraries that living players hold. A core keeps its state in globals, so a
// second player on the same library would run retro_init again on the first
// one's running instance, and free it under it.
std::vector<LibraryHandle> &held_libraries() {
    static std::vector<LibraryHandle> held;
    return held;
}

bool is_held(LibraryHandle library) {
    const std::vector<LibraryHandle> &held = held_libraries();
    return std::find(held.begin(), held.end(), library) != held.end();
}

} // namespace

Player::~Player() {
    if (CoreCall::under_way()) {
        // Freed from inside a core's call: the core cannot be told, and its
        // library stays mapped (and held) for the code still on the stack.
        if (active_player == this) {
            active_player = nullptr;
        }
        return;
    }
    unload_core();
}

bool Player::load_core(const std::string &path) {
    if (CoreCall::under_way()) {
        return false;
    }
    unload_core();

    core_module_ = open_library(path);
    // The loader hands back the same module whatever path or link led to it;
    // this extra reference goes and the other player's core stays as it was.
    if (core_module_ != nullptr && is_held(core_module_)) {
        close_library(core_module_);
        core_module_ = nullptr;
    }
    if (core_module_ == nullptr) {
        last_error_ = "Nao foi possivel carregar o core Libretro: " + path;
        return false;
    }
    held_libraries().push_back(core_module_);
    if (const char *missing = bind_core_api(core_api_, core_module_)) {
        last_error_ = std::string("Core invalido: faltando ") + missing;
        close_core_module();
        return false;
    }
    if (call_core(core_api_.retro_api_version) != RETRO_API_VERSION) {
        last_error_ = "Versao da API Libretro incompativel.";
        close_core_module();
        return false;
    }
    // Optional: some cores ignore the joypad until the port's device is named.
    void *port_device = find_symbol(core_module_, "retro_set_controller_port_device");
    std::memcpy(&set_controller_port_device_, &port_device, sizeof port_device);

    // The libretro default, for a core that never names its format.
    pixel_format_ = RETRO_PIXEL_FORMAT_0RGB1555;
    // Before the callbacks go in, so that requests made from inside
    // retro_set_environment and retro_init already reach this player.
    active_player = this;
    call_core(core_api_.retro_set_environment, environment_callback);
    call_core(core_api_.retro_set_video_refresh, video_refresh_callback);
    call_core(core_api_.retro_set_audio_sample, audio_sample_callback);
    call_core(core_api_.retro_set_audio_sample_batch, audio_sample_batch_callback);
    call_core(core_api_.retro_set_input_poll, input_poll_callback);
    call_core(core_api_.retro_set_input_state, input_state_callback);
    call_core(core_api_.retro_init);

    core_loaded_ = true;
    last_error_.clear();
    return true;
}

void Player::unload_core() {
    if (CoreCall::under_way()) {
        return;
    }
    unload_game();
    if (core_loaded_ && core_api_.retro_deinit != nullptr) {
        call_core(core_api_.retro_deinit);
    }
    core_loaded_ = false;
    if (active_player == this) {
        active_player = nullptr;
    }
    close_core_module();
}

void Player::close_core_module() {
    if (core_module_ != nullptr) {
        std::vector<LibraryHandle> &held = held_libraries();
        held.erase(std::remove(held.begin(), held.end(), core_module_), held.end());
        close_library(core_module_);
        core_module_ = nullptr;
    }
    core_api_ = CoreApi{};
    set_controller_port_device_ = nullptr;
    // No core is left that could still read a replaced directory text.
    retired_paths_.clear();
}

} // namespace tovarune
