#include "core/callbacks.h"
#include "player.h"

namespace tovarune {

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

} // namespace tovarune
