#pragma once

#include <libretro.h>

namespace tovarune {

class Player;

// What a core asks to be told around each frame: the time the frame stands
// for, how full the sound queue is, and (for a core that makes sound only when
// asked) when to make it. Each is called on the thread that runs the frame,
// inside the core's scope, under the player's lock.
class FrameCallbacks {
public:
    // How often the audio callback is called for one frame's sound, at most.
    static constexpr int audio_calls_per_frame = 64;

    void set_frame_time(const retro_frame_time_callback &callback) { frame_time_ = callback; }
    void set_audio(const retro_audio_callback &callback);
    void set_audio_buffer_status(retro_audio_buffer_status_callback_t callback) {
        buffer_status_ = callback;
    }

    // Right before retro_run: the frame's time, then the queue's fill.
    void before_frame(Player &player);
    // Right after retro_run: the frame's sound, from a core that makes it
    // when asked.
    void after_frame(Player &player);
    // The game ends: a core whose sound was asked for hears that it stops.
    void game_ended(Player &player);
    // The core is gone, and with it every function it gave.
    void forget() { *this = FrameCallbacks(); }

    // The time one frame stands for, in microseconds: the core's reference
    // when it gave one, otherwise one frame at `fps`.
    retro_usec_t frame_time(double fps) const;

private:
    retro_frame_time_callback frame_time_{};
    retro_audio_callback audio_{};
    bool audio_running_ = false;
    retro_audio_buffer_status_callback_t buffer_status_ = nullptr;
};

} // namespace tovarune
