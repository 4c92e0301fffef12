#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

#include <algorithm>

namespace tovarune {

namespace {

bool same_geometry(const retro_game_geometry &a, const retro_game_geometry &b) {
    return a.base_width == b.base_width && a.base_height == b.base_height &&
           a.max_width == b.max_width && a.max_height == b.max_height &&
           a.aspect_ratio == b.aspect_ratio;
}

} // namespace

// Told only when something changed: some cores repeat these every frame.
void Player::set_av_info(const retro_system_av_info &info) {
    bool changed;
    {
        const Lock held = lock();
        changed = !same_geometry(av_info_.geometry, info.geometry) ||
                  av_info_.timing.fps != info.timing.fps ||
                  av_info_.timing.sample_rate != info.timing.sample_rate;
        av_info_ = info;
        // A larger picture to come needs a larger framebuffer, at once.
        hardware_render_->set_max_size(
            std::max(info.geometry.max_width, info.geometry.base_width),
            std::max(info.geometry.max_height, info.geometry.base_height));
    }
    if (changed && events_ != nullptr) {
        events_->av_info_changed();
    }
}

void Player::set_geometry(const retro_game_geometry &geometry) {
    retro_system_av_info info;
    {
        const Lock held = lock();
        info = av_info_;
    }
    info.geometry.base_width = geometry.base_width;
    info.geometry.base_height = geometry.base_height;
    info.geometry.aspect_ratio = geometry.aspect_ratio;
    set_av_info(info);
}

bool Player::set_rotation(unsigned rotation) {
    if (rotation > 3) {
        return false;
    }
    const Lock held = lock();
    rotation_ = rotation;
    return true;
}

unsigned Player::rotation() const {
    const Lock held = lock();
    return rotation_;
}

namespace environment {

bool set_system_av_info(Player &player, void *data) {
    if (data == nullptr) {
        return false;
    }
    player.set_av_info(*static_cast<const retro_system_av_info *>(data));
    return true;
}

bool set_geometry(Player &player, void *data) {
    if (data == nullptr) {
        return false;
    }
    player.set_geometry(*static_cast<const retro_game_geometry *>(data));
    return true;
}

bool set_rotation(Player &player, void *data) {
    return data != nullptr && player.set_rotation(*static_cast<const unsigned *>(data));
}

// Bit 0 video, bit 1 audio: both wanted, always.
bool get_audio_video_enable(Player &, void *data) { return write_answer(data, 3); }

// Overscan is cropped, as the reference frontend does by default.
bool get_overscan(Player &, void *data) { return write_answer(data, false); }

} // namespace environment
} // namespace tovarune
