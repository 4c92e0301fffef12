#include "core/frame_callbacks.h"
#include "player.h"

#include <cmath>

namespace tovarune {

void FrameCallbacks::set_audio(const retro_audio_callback &callback) {
    // A core that replaces its callback starts stopped again, as libretro.h
    // has it: nothing is asked of it before set_state(true).
    audio_ = callback;
    audio_running_ = false;
}

retro_usec_t FrameCallbacks::frame_time(double fps) const {
    if (frame_time_.reference > 0) {
        return frame_time_.reference;
    }
    return static_cast<retro_usec_t>(std::llround(1000000.0 / fps));
}

// The frame stands for the core's reference time, not for the time that
// passed: the script paces the frames (a slow tick catches up with several,
// a fast-forward runs many), so the core moves on by a frame per frame, in
// step with its picture, sound and states, however the frames were spread.
void FrameCallbacks::before_frame(Player &player) {
    if (frame_time_.callback == nullptr && buffer_status_ == nullptr) {
        return;
    }
    const CoreScope inside = player.enter_core();
    if (frame_time_.callback != nullptr) {
        frame_time_.callback(frame_time(player.fps()));
    }
    if (buffer_status_ != nullptr) {
        // The queue holds what the script has not taken yet. The player cannot
        // see whether the script's speaker will starve, so it never predicts
        // an underrun: a core would skip frames on a guess.
        const std::size_t queued = player.queued_audio_frames();
        const auto occupancy = static_cast<unsigned>(queued * 100 / AudioQueue::capacity);
        buffer_status_(true, occupancy, false);
    }
}

void FrameCallbacks::after_frame(Player &player) {
    if (audio_.callback == nullptr) {
        return;
    }
    const CoreScope inside = player.enter_core();
    if (!audio_running_) {
        audio_running_ = true;
        if (audio_.set_state != nullptr) {
            audio_.set_state(true);
        }
    }
    // One frame's sound at the game's rates, in as many calls as the core
    // needs; a call that adds nothing (or a full queue) ends the asking.
    const auto wanted = static_cast<std::size_t>(std::ceil(player.sample_rate() / player.fps()));
    const std::size_t before = player.queued_audio_frames();
    for (int call = 0; call < audio_calls_per_frame && audio_.callback != nullptr; ++call) {
        const std::size_t had = player.queued_audio_frames();
        audio_.callback();
        const std::size_t now = player.queued_audio_frames();
        if (now <= had || now - before >= wanted) {
            break;
        }
    }
}

void FrameCallbacks::game_ended(Player &player) {
    if (audio_running_ && audio_.set_state != nullptr) {
        const CoreScope inside = player.enter_core();
        audio_.set_state(false);
    }
    audio_running_ = false;
}

} // namespace tovarune
