// The audio queue keeps the newest frames, oldest first, however they arrive
// and wherever its ring stands.
#include "callbacks.h"
#include "test_support.h"

namespace tovarune::testing {
namespace {

TEST(AudioQueue, KeepsTheNewestFramesInOrderAcrossTheRing) {
    constexpr std::size_t cap = AudioQueue::capacity;
    std::vector<std::int16_t> samples; // frame n carries n over its two samples
    for (std::size_t n = 0; n < cap + 20; ++n) {
        samples.insert(samples.end(), {std::int16_t(n % 30000), std::int16_t(n / 30000)});
    }
    Player player;
    active_player = &player;
    for (std::size_t n = 0; n < 10; ++n) {
        audio_sample_callback(samples[2 * n], samples[2 * n + 1]);
    }
    std::vector<std::size_t> popped;
    const auto take = [&](std::int32_t max) {
        return player.pop_audio_frames(max, [&](std::size_t, const StereoFrame &frame) {
            popped.push_back(std::size_t(frame.left * 32768) +
                             30000 * std::size_t(frame.right * 32768));
        });
    };
    EXPECT_EQ(take(-1) + take(4), 4u);
    // A batch larger than the cap keeps only its own newest frames.
    EXPECT_EQ(audio_sample_batch_callback(samples.data() + 20, cap + 3), cap + 3);
    EXPECT_EQ(audio_sample_batch_callback(nullptr, 5), 0u);
    audio_sample_callback(samples[2 * (cap + 13)], samples[2 * (cap + 13) + 1]);
    active_player = nullptr;
    audio_sample_callback(1, 1);
    EXPECT_EQ(take(1 << 30), cap);
    ASSERT_EQ(popped.size(), cap + 4);
    for (std::size_t i = 0; i < popped.size(); ++i) {
        ASSERT_EQ(popped[i], i < 4 ? i : i + 10) << i;
    }
}

} // namespace
} // namespace tovarune::testing
