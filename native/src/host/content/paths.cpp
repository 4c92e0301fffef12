#include "content/file_io.h"
#include "content/resource_paths.h"
#include "content/unpacked_files.h"
#include "player.h"

namespace tovarune {

void Player::set_paths(const std::string &system_path, const std::string &save_path) {
    const Lock held = lock();
    const Location system = locate(engine_files_, system_path);
    std::string system_directory = system.path;
    if (system.packed) {
        // Cores open their system files themselves: they get copies on disk.
        system_directory =
            unpack_directory(*engine_files_, system_path, unpacked_directory() + "/system");
    }
    replace_path(system_path_, system_directory);
    // A save directory in the pack stays as named: nothing can be written there.
    replace_path(save_path_, locate(engine_files_, save_path).path);
    // Both are attempted; a failure has nowhere to be reported.
    if (!system_path_->empty()) {
        create_directories(*system_path_);
    }
    if (!save_path_->empty()) {
        create_directories(*save_path_);
    }
    if (game_loaded_) {
        claim_save_file(); // the game's battery save moves with the directory
    }
}

void Player::replace_path(std::unique_ptr<std::string> &field, const std::string &text) {
    if (*field == text) {
        return;
    }
    auto replacement = std::make_unique<std::string>(text);
    if (core_module_ != nullptr) {
        // The loaded core may have kept a pointer into the old text.
        retired_paths_.push_back(std::move(field));
    }
    field = std::move(replacement);
}

// A core is never told a resource path, which it could not open.
const char *Player::system_directory() const {
    return system_path_->empty() || is_resource_path(*system_path_) ? nullptr
                                                                    : system_path_->c_str();
}

const char *Player::save_directory() const {
    return save_path_->empty() || is_resource_path(*save_path_) ? nullptr : save_path_->c_str();
}

std::string Player::unpacked_directory() const {
    return locate(engine_files_, "user://tovarune/unpacked").path;
}

} // namespace tovarune
