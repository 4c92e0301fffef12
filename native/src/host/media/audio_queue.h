#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tovarune {

struct StereoFrame {
    float left;
    float right;
};

// First-in, first-out queue of stereo frames, capped at `capacity` frames:
// past the cap the oldest frames give way. A ring over one block allocated on
// first use, so appending and removing are constant time and steady play
// allocates nothing.
class AudioQueue {
public:
    static constexpr std::size_t capacity = 96000;

    static float sample_to_float(std::int16_t sample) {
        return static_cast<float>(sample) * (1.0f / 32768.0f);
    }

    void push(std::int16_t left, std::int16_t right);
    // `samples` holds `frames` interleaved left/right pairs.
    void push_interleaved(const std::int16_t *samples, std::size_t frames);

    // Takes up to `max_frames` of the oldest frames, handing each to
    // `sink(index, frame)` in order; returns how many were taken.
    template <typename Sink> std::size_t pop(std::size_t max_frames, Sink &&sink) {
        const std::size_t n = max_frames < count_ ? max_frames : count_;
        for (std::size_t i = 0; i < n; ++i) {
            sink(i, frames_[head_]);
            head_ = head_ + 1 == capacity ? 0 : head_ + 1;
        }
        count_ -= n;
        return n;
    }

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Empties the queue and gives its storage back.
    void clear();

private:
    bool ensure_storage();
    void append(StereoFrame frame);

    std::unique_ptr<StereoFrame[]> frames_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

} // namespace tovarune
