#include "file_io.h"
#include "player.h"

namespace tovarune {

void Player::set_paths(const std::string &system_path, const std::string &save_path) {
    const Lock held = lock();
    replace_path(system_path_, system_path);
    replace_path(save_path_, save_path);
    // Both are attempted; a failure has nowhere to be reported.
    if (!system_path_->empty()) {
        create_directories(*system_path_);
    }
    if (!save_path_->empty()) {
        create_directories(*save_path_);
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

const char *Player::system_directory() const {
    return system_path_->empty() ? nullptr : system_path_->c_str();
}

const char *Player::save_directory() const {
    return save_path_->empty() ? nullptr : save_path_->c_str();
}

} // namespace tovarune
