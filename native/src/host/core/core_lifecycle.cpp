#include "content/resource_paths.h"
#include "core/core_call.h"
#include "core/core_copies.h"
#include "player.h"
#include "saves/save_ram_path.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tovarune {

namespace {

// Libraries that living players hold, under core_lifecycle_mutex(). The loader
// maps a file once per process and a core keeps its state in globals, so a
// second player on a held library would run retro_init again on the first
// one's running instance; it loads a private copy instead.
std::vector<LibraryHandle> held_libraries;

bool is_held(LibraryHandle library) {
    return std::find(held_libraries.begin(), held_libraries.end(), library) != held_libraries.end();
}

} // namespace

std::mutex &core_lifecycle_mutex() {
    static std::mutex mutex;
    return mutex;
}

Player::~Player() {
    const Lock held = lock();
    if (CoreCall::under_way()) {
        // Freed from inside a core's call: the core cannot be told, and its
        // library stays mapped (and held) for code that may still be on the
        // stack, as do its callbacks, which now reach nobody, and its
        // graphics context, current until the core returns.
        release_callback_slot(callbacks_, false);
        static_cast<void>(hardware_render_.release());
        return;
    }
    unload_core();
}

bool Player::load_core(const std::string &path) {
    const Lock held = lock();
    if (CoreCall::under_way()) {
        last_error_ = refused_inside_core_call;
        return false;
    }
    unload_core();

    const std::lock_guard<std::mutex> serial(core_lifecycle_mutex());
    std::string cause;
    if (!open_core_module(path, cause)) {
        // The message a missing file gives; the log says what to fix.
        last_error_ = "Nao foi possivel carregar o core Libretro: " + path;
        if (!cause.empty()) {
            log_core_line(RETRO_LOG_ERROR, cause.c_str());
        }
        return false;
    }
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

    told_of_other_threads_ = false;
    told_of_state_size_ = false;
    // The libretro default, for a core that never names its format.
    pixel_format_ = RETRO_PIXEL_FORMAT_0RGB1555;
    call_core(core_api_.retro_set_environment, callbacks_->environment);
    call_core(core_api_.retro_set_video_refresh, callbacks_->video_refresh);
    call_core(core_api_.retro_set_audio_sample, callbacks_->audio_sample);
    call_core(core_api_.retro_set_audio_sample_batch, callbacks_->audio_sample_batch);
    call_core(core_api_.retro_set_input_poll, callbacks_->input_poll);
    call_core(core_api_.retro_set_input_state, callbacks_->input_state);
    call_core(core_api_.retro_init);

    core_loaded_ = true;
    core_name_ = game_save_name(path);
    last_error_.clear();
    return true;
}

void Player::unload_core() {
    const Lock held = lock();
    if (CoreCall::under_way()) {
        return;
    }
    unload_game();
    const std::lock_guard<std::mutex> serial(core_lifecycle_mutex());
    if (core_loaded_ && core_api_.retro_deinit != nullptr) {
        call_core(core_api_.retro_deinit);
    }
    hardware_render_->forget();
    core_loaded_ = false;
    close_core_module();
}

// Under core_lifecycle_mutex(). A failure's cause, other than a file that
// cannot be loaded, goes to `cause`.
bool Player::open_core_module(const std::string &path, std::string &cause) {
    // Taken first, so that the core's requests from inside
    // retro_set_environment and retro_init already reach this player.
    callbacks_ = claim_callback_slot(*this);
    if (callbacks_ == nullptr) {
        cause = "Ja ha " + std::to_string(callback_slot_count) +
                " players com um core carregado, o maximo; descarregue o core de um deles antes.";
        return false;
    }
    core_module_ = open_library(core_location(engine_files_, path));
    remember_core_file();
    if (core_module_ != nullptr && is_held(core_module_)) {
        // Whatever path or link led to it, the loader handed back a module
        // that another player runs.
        const std::string file = library_file(core_module_);
        close_library(core_module_);
        core_module_ = nullptr;
        if (file.empty()) {
            cause = "Nao foi possivel saber de que arquivo o core veio, para copia-lo.";
        } else {
            core_module_ = open_library_copy(file, core_copy_, cause);
        }
    }
    if (core_module_ == nullptr) {
        close_core_module();
        return false;
    }
    held_libraries.push_back(core_module_);
    return true;
}

// Under core_lifecycle_mutex().
void Player::close_core_module() {
    if (core_module_ != nullptr) {
        held_libraries.erase(
            std::remove(held_libraries.begin(), held_libraries.end(), core_module_),
            held_libraries.end());
        close_library(core_module_);
        core_module_ = nullptr;
    }
    if (!core_copy_.empty()) {
        remove_core_copy(core_copy_);
        core_copy_.clear();
    }
    release_callback_slot(callbacks_, true);
    callbacks_ = nullptr;
    forget_core_requests();
    core_api_ = CoreApi{};
    set_controller_port_device_ = nullptr;
    input_.forget_core();
    // No core is left that could still read a replaced directory text.
    retired_paths_.clear();
}

} // namespace tovarune
