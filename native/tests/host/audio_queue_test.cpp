// The audio queue: oldest first, exact sample scaling, the newest frames kept
// at the cap however they arrive and wherever the ring stands.
#include "callbacks.h"
#include "test_support.h"

#include <cmath>

namespace tovarune::testing {
namespace {

TEST(AudioQueue, KeepsTheNewestFramesInOrderAcrossTheRing) {
    EXPECT_EQ(AudioQueue::sample_to_float(-32768), -1.0f);
    EXPECT_EQ(AudioQueue::sample_to_float(32767), 32767.0f / 32768.0f);
    constexpr std::size_t cap = AudioQueue::capacity;
    // Frame n carries n split over its two samples.
    std::vector<std::int16_t> samples;
    for (std::size_t n = 0; n < cap + 20; ++n) {
        samples.push_back(static_cast<std::int16_t>(n % 30000));
        samples.push_back(static_cast<std::int16_t>(n / 30000));
    }
    Player player;
    active_player = &player;
    for (std::size_t n = 0; n < 10; ++n) {
        audio_sample_callback(samples[2 * n], samples[2 * n + 1]);
    }
    std::vector<std::size_t> popped;
    const auto take = [&](std::int32_t max) {
        return player.pop_audio_frames(max, [&](std::size_t, const StereoFrame &frame) {
            popped.push_back(static_cast<std::size_t>(std::lround(frame.left * 32768)) +
                             30000 * static_cast<std::size_t>(std::lround(frame.right * 32768)));
        });
    };
    EXPECT_EQ(take(0) + take(-1), 0u);
    EXPECT_EQ(take(4), 4u);
    // A batch larger than the cap keeps only its own newest frames.
    EXPECT_EQ(audio_sample_batch_callback(samples.data() + 20, cap + 3), cap + 3);
    EXPECT_EQ(audio_sample_batch_callback(nullptr, 5), 0u);
    audio_sample_callback(samples[2 * (cap + 13)], samples[2 * (cap + 13) + 1]);
    active_player = nullptr;
    audio_sample_callback(1, 1);
    EXPECT_EQ(audio_sample_batch_callback(samples.data(), 1), 0u);
    EXPECT_EQ(player.queued_audio_frames(), cap);
    EXPECT_EQ(take(1 << 30), cap);
    ASSERT_EQ(popped.size(), cap + 4);
    for (std::size_t i = 0; i < popped.size(); ++i) {
        ASSERT_EQ(popped[i], i < 4 ? i : i + 10) << i;
    }
}

} // namespace
} // namespace tovarune::testing
