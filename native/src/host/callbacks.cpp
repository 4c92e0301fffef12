#include "callbacks.h"
#include "player.h"

namespace tovarune {

void video_refresh_callback(Player &player, const void *data, unsigned width, unsigned height,
                            size_t pitch) {
    if (data == nullptr || data == RETRO_HW_FRAME_BUFFER_VALID) {
        return;
    }
    // A frame beyond the engine's limits, or with rows too short for the
    // recorded format (a core that draws in another), is never read.
    const VideoFrame frame{data, width, height, pitch, player.pixel_format()};
    if (!frame_is_convertible(frame)) {
        return;
    }
    if (FrameSink *sink = player.frame_sink()) {
        sink->present_frame(frame);
    }
}

void audio_sample_callback(Player &player, int16_t left, int16_t right) {
    player.audio_frames().push(left, right);
}

size_t audio_sample_batch_callback(Player &player, const int16_t *data, size_t frames) {
    if (data == nullptr) {
        return 0;
    }
    player.audio_frames().push_interleaved(data, frames);
    return frames;
}

int16_t input_state_callback(const Player &player, unsigned port, unsigned device, unsigned index,
                             unsigned id) {
    return player.joypads().query(port, device, index, id);
}

} // namespace tovarune
