#include "content/resource_paths.h"
#include "player.h"

namespace tovarune {

// The core's disk tray, for games of several discs. Every call goes into the
// core inside its scope, and only while a game runs there.

void Player::set_disk_control(const retro_disk_control_ext_callback &callbacks) {
    const Lock held = lock();
    disk_control_ = callbacks;
}

bool Player::disk_control_ready() const { return game_loaded_ && disk_control_.get_num_images; }

std::int64_t Player::disk_count() const {
    const Lock held = lock();
    return disk_control_ready() ? call_core(disk_control_.get_num_images) : 0;
}

std::int64_t Player::disk_index() const {
    const Lock held = lock();
    return disk_control_ready() && disk_control_.get_image_index != nullptr
               ? call_core(disk_control_.get_image_index)
               : 0;
}

bool Player::disk_ejected() const {
    const Lock held = lock();
    return disk_control_ready() && disk_control_.get_eject_state != nullptr &&
           call_core(disk_control_.get_eject_state);
}

bool Player::set_disk_ejected(bool ejected) {
    const Lock held = lock();
    return disk_control_ready() && disk_control_.set_eject_state != nullptr &&
           call_core(disk_control_.set_eject_state, ejected);
}

// As the reference frontend does: a closed tray is opened for the change and
// closed again after it.
bool Player::set_disk_index(std::int64_t index) {
    const Lock held = lock();
    const retro_disk_control_ext_callback &disk = disk_control_;
    if (!disk_control_ready() || disk.set_image_index == nullptr ||
        disk.set_eject_state == nullptr || disk.get_eject_state == nullptr || index < 0 ||
        index >= disk_count()) {
        return false;
    }
    const bool was_ejected = call_core(disk.get_eject_state);
    if (!was_ejected && !call_core(disk.set_eject_state, true)) {
        return false;
    }
    const bool chosen = call_core(disk.set_image_index, static_cast<unsigned>(index));
    if (!was_ejected) {
        call_core(disk.set_eject_state, false);
    }
    return chosen;
}

std::string Player::disk_label(std::int64_t index) const {
    const Lock held = lock();
    char label[1024] = {};
    if (!disk_control_ready() || disk_control_.get_image_label == nullptr || index < 0 ||
        index >= disk_count() ||
        !call_core(disk_control_.get_image_label, static_cast<unsigned>(index), label,
                   sizeof label - 1)) {
        return "";
    }
    return label;
}

// A new index, then the disc in it.
bool Player::add_disk(const std::string &path) {
    const Lock held = lock();
    const retro_disk_control_ext_callback &disk = disk_control_;
    const Location where = locate(engine_files_, path);
    if (!disk_control_ready() || disk.add_image_index == nullptr ||
        disk.replace_image_index == nullptr || path.empty() || where.packed) {
        return false;
    }
    const std::int64_t index = disk_count();
    if (!call_core(disk.add_image_index)) {
        return false;
    }
    // The core may keep the path, as it keeps the game's.
    disk_paths_.push_back(where.path);
    retro_game_info info{disk_paths_.back().c_str(), nullptr, 0, nullptr};
    return call_core(disk.replace_image_index, static_cast<unsigned>(index), &info);
}

} // namespace tovarune
