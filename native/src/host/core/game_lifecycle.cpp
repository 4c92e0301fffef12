#include "content/file_io.h"
#include "content/resource_paths.h"
#include "content/unpacked_files.h"
#include "core/core_call.h"
#include "player.h"

#include <cmath>

namespace tovarune {

bool Player::load_game(const std::string &path) {
    const Lock held = lock();
    if (CoreCall::under_way()) {
        last_error_ = refused_inside_core_call;
        return false;
    }
    if (!core_loaded_) {
        last_error_ = "Carregue um core antes da ROM.";
        return false;
    }
    unload_game();
    shutdown_requested_ = false;
    rom_path_ = path;
    game_path_.clear();
    release_rom_data();
    retro_system_info system_info{};
    call_core(core_api_.retro_get_system_info, &system_info);

    // No content: only a core that said it can start without a game is
    // given none, as a null game; no core ever sees an empty path.
    const bool no_content = path.empty();
    if (no_content && !content_.supports_no_game()) {
        return refuse_game("Nao foi possivel abrir a ROM.",
                           "o core precisa de um jogo: ele nao disse que roda sem conteudo");
    }
    retro_game_info game{};
    if (!no_content) {
        const Location file = locate(engine_files_, path);
        game_path_ = file.path;
        const ContentRequests::Override *override = content_.override_for(file_extension(path));
        const bool need_fullpath =
            override != nullptr ? override->need_fullpath : system_info.need_fullpath;
        if (!read_game(file, need_fullpath)) {
            return false;
        }
        game.path = game_path_.c_str();
        if (!need_fullpath) {
            game.data = rom_data_.data();
            game.size = rom_data_.size();
        }
        content_.describe_game(game_path_, game.data, game.size,
                               override != nullptr && override->persistent_data);
    }

    std::unique_lock<std::mutex> serial(core_lifecycle_mutex());
    const unsigned problems_before = problems_logged_;
    if (!call_core(core_api_.retro_load_game, no_content ? nullptr : &game)) {
        serial.unlock();
        last_error_ =
            hardware_render_->context_failed() ? no_gl_context : "O core Snes9x recusou a ROM.";
        if (problems_logged_ == problems_before) {
            log_core_line(RETRO_LOG_WARN,
                          (rom_path_ + ": o core recusou o jogo sem dizer por que").c_str());
        }
        hardware_render_->forget();
        content_.forget_game();
        release_rom_data();
        game_copy_.release();
        return false;
    }
    call_core(core_api_.retro_get_system_av_info, &av_info_);
    serial.unlock();
    if (!prepare_hardware_render()) {
        serial.lock();
        call_core(core_api_.retro_unload_game);
        serial.unlock();
        hardware_render_->forget();
        last_error_ = no_gl_context;
        content_.forget_game();
        release_rom_data();
        game_copy_.release();
        return false;
    }
    // Sound made while the game loaded is not part of the game.
    audio_frames_.clear();
    drop_frame();
    game_loaded_ = true;
    connect_ports_after_load();
    claim_save_file();
    load_save_ram();
    last_error_.clear();
    return true;
}

void Player::unload_game() {
    const Lock held = lock();
    if (!game_loaded_ || CoreCall::under_way()) {
        return;
    }
    store_save_ram();
    battery_save_.release();
    frame_callbacks_.game_ended(*this);
    stop_rumble();
    {
        const std::lock_guard<std::mutex> serial(core_lifecycle_mutex());
        if (const retro_hw_context_reset_t destroy = hardware_render_->take_context_destroy()) {
            call_core(destroy);
        }
        call_core(core_api_.retro_unload_game);
    }
    hardware_render_->end_game();
    game_loaded_ = false;
    // Bytes the core was told stay until it is deinitialised do.
    if (const retro_game_info_ext *game = content_.game();
        game != nullptr && game->persistent_data) {
        content_.keep_until_deinit(std::move(rom_data_));
    }
    content_.forget_game();
    release_rom_data();
    game_copy_.release();
    audio_frames_.clear();
    drop_frame();
    rom_path_.clear();
}

bool Player::read_game(const Location &file, bool need_fullpath) {
    if (!need_fullpath || file.packed) {
        const ReadResult read = file.packed ? engine_files_->read_packed(rom_path_, rom_data_)
                                            : read_file(file.path, rom_data_);
        if (read == ReadResult::not_found || read == ReadResult::open_failed) {
            return refuse_game("Nao foi possivel abrir a ROM.",
                               read == ReadResult::not_found
                                   ? "o arquivo nao existe"
                                   : "nao e um arquivo, ou nao ha permissao para le-lo");
        }
        if (read != ReadResult::ok || rom_data_.empty()) {
            release_rom_data();
            return refuse_game("A ROM esta vazia ou nao pode ser lida.",
                               rom_data_.empty() && read == ReadResult::ok
                                   ? "o arquivo esta vazio"
                                   : "a leitura do arquivo falhou, ou ele e grande demais");
        }
    }
    if (need_fullpath && file.packed) {
        // A core that opens the game itself gets a copy of it on disk.
        game_path_ = unpack_game(*engine_files_, unpacked_directory() + "/games", rom_path_,
                                 rom_data_, game_copy_);
        release_rom_data();
        if (game_path_.empty()) {
            return refuse_game("Nao foi possivel abrir a ROM.",
                               "a copia do jogo para o core abrir nao pode ser feita em " +
                                   unpacked_directory());
        }
    }
    return true;
}

// The first line is the one scripts compare; the log says what to fix.
bool Player::refuse_game(const char *message, const std::string &cause) {
    last_error_ = message;
    log_core_line(RETRO_LOG_WARN, (rom_path_.empty() ? cause : rom_path_ + ": " + cause).c_str());
    return false;
}

void Player::run_frame() {
    const Lock held = lock();
    if (game_loaded_ && core_api_.retro_run != nullptr && !CoreCall::under_way() &&
        !shutdown_requested_) {
        if (!prepare_hardware_render()) {
            hardware_render_->forget(); // asked for in the last frame, and impossible
        }
        input_.polled = false;
        frame_callbacks_.before_frame(*this);
        call_core(core_api_.retro_run);
        frame_callbacks_.after_frame(*this);
    }
}

void Player::reset_game() {
    const Lock held = lock();
    if (game_loaded_ && core_api_.retro_reset != nullptr && !CoreCall::under_way()) {
        call_core(core_api_.retro_reset);
    }
}

double Player::fps() const {
    const Lock held = lock();
    return av_info_.timing.fps > 0.0 ? av_info_.timing.fps : 60.0;
}

double Player::aspect_ratio() const {
    const Lock held = lock();
    const float aspect = av_info_.geometry.aspect_ratio;
    if (std::isfinite(aspect) && aspect > 0.0f) {
        return aspect;
    }
    const retro_game_geometry &geometry = av_info_.geometry;
    if (geometry.base_width > 0 && geometry.base_height > 0) {
        return static_cast<double>(geometry.base_width) / geometry.base_height;
    }
    return 0.0;
}

double Player::sample_rate() const {
    const Lock held = lock();
    return av_info_.timing.sample_rate > 0.0 ? av_info_.timing.sample_rate : 48000.0;
}

void Player::drop_frame() {
    if (frame_sink_ != nullptr) {
        frame_sink_->drop_frame();
    }
}

void Player::release_rom_data() { rom_data_.reset(); }

} // namespace tovarune
