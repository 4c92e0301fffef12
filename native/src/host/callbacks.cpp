#include "callbacks.h"
#include "player.h"

namespace tovarune {

Player *active_player = nullptr;

void video_refresh_callback(const void *data, unsigned width, unsigned height, size_t pitch) {
    Player *player = active_player;
    if (player == nullptr || data == nullptr || data == RETRO_HW_FRAME_BUFFER_VALID) {
        return;
    }
    // A frame beyond the engine's limits, or with rows too short for the
    // recorded format (a core that draws in another), is never read.
    const VideoFrame frame{data, width, height, pitch, player->pixel_format()};
    if (!frame_is_convertible(frame)) {
        return;
    }
    if (FrameSink *sink = player->frame_sink()) {
        sink->present_frame(frame);
    }
}

void audio_sample_callback(int16_t left, int16_t right) {
    if (Player *player = active_player) {
        player->audio_frames().push(left, right);
    }
}

size_t audio_sample_batch_callback(const int16_t *data, size_t frames) {
    Player *player = active_player;
    if (player == nullptr || data == nullptr) {
        return 0;
    }
    player->audio_frames().push_interleaved(data, frames);
    return frames;
}

void input_poll_callback() {
    // Nothing to latch: input_state_callback reads the buttons as they are.
}

int16_t input_state_callback(unsigned port, unsigned device, unsigned index, unsigned id) {
    const Player *player = active_player;
    return player == nullptr ? 0 : player->joypads().query(port, device, index, id);
}

} // namespace tovarune
