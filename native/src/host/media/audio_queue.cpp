#include "media/audio_queue.h"

#include <new>

namespace tovarune {

bool AudioQueue::ensure_storage() {
    if (!frames_) {
        frames_.reset(new (std::nothrow) StereoFrame[capacity]);
    }
    return frames_ != nullptr;
}

void AudioQueue::append(StereoFrame frame) {
    std::size_t tail = head_ + count_;
    if (tail >= capacity) {
        tail -= capacity;
    }
    frames_[tail] = frame;
    if (count_ < capacity) {
        ++count_;
    } else {
        // Full: the new frame took the oldest one's place.
        head_ = head_ + 1 == capacity ? 0 : head_ + 1;
    }
}

void AudioQueue::push(std::int16_t left, std::int16_t right) {
    if (!ensure_storage()) {
        return;
    }
    append({sample_to_float(left), sample_to_float(right)});
}

void AudioQueue::push_interleaved(const std::int16_t *samples, std::size_t frames) {
    if (frames == 0 || !ensure_storage()) {
        return;
    }
    // Only the batch's newest `capacity` frames could survive the trim.
    if (frames > capacity) {
        samples += 2 * (frames - capacity);
        frames = capacity;
    }
    for (std::size_t i = 0; i < frames; ++i) {
        append({sample_to_float(samples[2 * i]), sample_to_float(samples[2 * i + 1])});
    }
}

void AudioQueue::clear() {
    frames_.reset();
    head_ = 0;
    count_ = 0;
}

} // namespace tovarune
