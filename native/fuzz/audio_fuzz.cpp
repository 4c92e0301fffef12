// The audio callbacks interleaved with pops, against a plain model of the
// queue: capped at 96000 frames, oldest dropped first, pops in order.
#include "callbacks.h"
#include "fuzz_support.h"
#include "player.h"

#include <algorithm>

using namespace tovarune;
using namespace tovarune::fuzz;

namespace {

// The frames the queue should hold, oldest first, as runs: frame k of a run
// is (left + k * step, right + k * step). Batches are runs, so the model
// costs nothing per frame pushed.
class Model {
public:
    void push(std::int16_t left, std::int16_t right, std::uint16_t step, std::size_t count) {
        if (count != 0) {
            runs_.push_back({left, right, step, count});
            size_ += count;
        }
        if (size_ > AudioQueue::capacity) {
            drop(size_ - AudioQueue::capacity);
        }
    }

    void drop(std::size_t n) {
        while (n != 0) {
            Run &run = runs_.front();
            const std::size_t k = std::min(n, run.count);
            run.left = static_cast<std::int16_t>(run.left + k * run.step);
            run.right = static_cast<std::int16_t>(run.right + k * run.step);
            run.count -= k;
            size_ -= k;
            n -= k;
            if (run.count == 0) {
                runs_.pop_front();
            }
        }
    }

    std::int16_t front_left() const { return runs_.front().left; }
    std::int16_t front_right() const { return runs_.front().right; }
    std::size_t size() const { return size_; }

private:
    struct Run {
        std::int16_t left;
        std::int16_t right;
        std::uint16_t step;
        std::size_t count;
    };
    std::deque<Run> runs_;
    std::size_t size_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in(data, size);
    Player player;
    active_player = &player;
    Model model;
    static std::vector<std::int16_t> batch; // kept: its pages cost more than its use
    // Enough to pass the cap and wrap the ring while each input stays quick.
    std::size_t frame_budget = AudioQueue::capacity + AudioQueue::capacity / 4;

    while (!in.empty()) {
        switch (in.byte() % 5) {
        case 0: {
            const auto left = in.number<std::int16_t>();
            const auto right = in.number<std::int16_t>();
            audio_sample_callback(left, right);
            model.push(left, right, 0, active_player != nullptr ? 1 : 0);
            break;
        }
        case 1: {
            const std::size_t frames = std::min<std::size_t>(
                in.number<std::uint32_t>() % (AudioQueue::capacity + 1000), frame_budget);
            frame_budget -= frames;
            const auto left = in.number<std::int16_t>();
            const auto right = static_cast<std::int16_t>(left + 7);
            batch.resize(2 * frames);
            for (std::size_t i = 0; i < frames; ++i) {
                batch[2 * i] = static_cast<std::int16_t>(left + i * 13);
                batch[2 * i + 1] = static_cast<std::int16_t>(right + i * 13);
            }
            const std::size_t taken = audio_sample_batch_callback(batch.data(), frames);
            require(taken == (active_player != nullptr ? frames : 0));
            model.push(left, right, 13, taken);
            break;
        }
        case 2:
            require(audio_sample_batch_callback(nullptr, in.number<std::uint32_t>()) == 0);
            break;
        case 3: {
            const auto max_frames = in.number<std::int32_t>();
            const std::size_t expected =
                max_frames <= 0 ? 0 : std::min<std::size_t>(max_frames, model.size());
            std::size_t next = 0;
            const std::size_t popped =
                player.pop_audio_frames(max_frames, [&](std::size_t i, const StereoFrame &frame) {
                    require(i == next++ && i < expected);
                    require(frame.left == model.front_left() / 32768.0f &&
                            frame.right == model.front_right() / 32768.0f);
                    model.drop(1);
                });
            require(popped == expected && next == expected);
            break;
        }
        case 4:
            active_player = active_player != nullptr ? nullptr : &player;
            break;
        }
        require(player.queued_audio_frames() == model.size());
        require(model.size() <= AudioQueue::capacity);
    }
    active_player = nullptr;
    return 0;
}
