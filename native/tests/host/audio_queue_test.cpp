#include "audio_queue.h"
#include "callbacks.h"
#include "player.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovarune {
namespace {

std::vector<StereoFrame> pop(Player &player, std::int32_t max) {
    std::vector<StereoFrame> out;
    player.pop_audio_frames(max, [&](std::size_t i, const StereoFrame &f) {
        EXPECT_EQ(i, out.size());
        out.push_back(f);
    });
    return out;
}

// The callbacks serve active_player; a test may stand in for load_core.
class AudioCallbacks : public ::testing::Test {
protected:
    void SetUp() override { active_player = &player; }
    void TearDown() override { active_player = nullptr; }
    Player player;
};

TEST(AudioSamples, ConvertExactlyByTwoToTheMinusFifteen) {
    EXPECT_EQ(AudioQueue::sample_to_float(-32768), -1.0f);
    EXPECT_EQ(AudioQueue::sample_to_float(32767), 0.999969482421875f);
    EXPECT_EQ(AudioQueue::sample_to_float(0), 0.0f);
    EXPECT_EQ(AudioQueue::sample_to_float(16384), 0.5f);
    EXPECT_EQ(AudioQueue::sample_to_float(100), 100.0f / 32768.0f);
}

TEST_F(AudioCallbacks, SingleFramesAndBatchesQueueOldestFirst) {
    audio_sample_callback(100, -100);
    const std::int16_t batch[] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(audio_sample_batch_callback(batch, 3), 3u);
    const auto first = pop(player, 2);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].left, 100.0f / 32768.0f);
    EXPECT_EQ(first[0].right, -100.0f / 32768.0f);
    EXPECT_EQ(first[1].left, 1.0f / 32768.0f);
    EXPECT_EQ(first[1].right, 2.0f / 32768.0f);
    const auto rest = pop(player, 4096);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[1].right, 6.0f / 32768.0f);
    EXPECT_TRUE(pop(player, 4096).empty());
}

TEST_F(AudioCallbacks, NonPositiveMaximumTakesNothing) {
    audio_sample_callback(1, 1);
    EXPECT_TRUE(pop(player, 0).empty());
    EXPECT_TRUE(pop(player, -5).empty());
    EXPECT_EQ(player.queued_audio_frames(), 1u);
}

TEST_F(AudioCallbacks, QueueKeepsTheNewestFramesAtTheCap) {
    // A batch larger than the cap keeps its own last frames, and says it took all.
    std::vector<std::int16_t> batch(2 * 100000);
    for (std::size_t i = 0; i < 100000; ++i) {
        batch[2 * i] = static_cast<std::int16_t>(i % 30000);
        batch[2 * i + 1] = static_cast<std::int16_t>(-(static_cast<int>(i % 30000)));
    }
    EXPECT_EQ(audio_sample_batch_callback(batch.data(), 100000), 100000u);
    EXPECT_EQ(player.queued_audio_frames(), AudioQueue::capacity);
    // One more single frame pushes out the oldest.
    audio_sample_callback(7, 7);
    EXPECT_EQ(player.queued_audio_frames(), AudioQueue::capacity);
    const auto all = pop(player, 200000);
    ASSERT_EQ(all.size(), AudioQueue::capacity);
    EXPECT_EQ(all.front().left, AudioQueue::sample_to_float(4001 % 30000)); // frame 4001
    EXPECT_EQ(all[all.size() - 2].left, AudioQueue::sample_to_float(99999 % 30000));
    EXPECT_EQ(all.back().left, AudioQueue::sample_to_float(7));
}

TEST_F(AudioCallbacks, WrapsAroundTheRingInOrder) {
    // Fill, drain partly, refill past the end of the storage.
    std::vector<std::int16_t> batch(2 * 90000, 1);
    audio_sample_batch_callback(batch.data(), 90000);
    pop(player, 80000);
    for (std::int16_t i = 0; i < 20000; ++i) {
        audio_sample_callback(i, i);
    }
    const auto all = pop(player, 100000);
    ASSERT_EQ(all.size(), 30000u);
    EXPECT_EQ(all[9999].left, AudioQueue::sample_to_float(1));
    for (std::size_t i = 0; i < 20000; ++i) {
        ASSERT_EQ(all[10000 + i].left, AudioQueue::sample_to_float(static_cast<std::int16_t>(i)));
    }
}

TEST_F(AudioCallbacks, NullDataAndNoActivePlayerQueueNothing) {
    EXPECT_EQ(audio_sample_batch_callback(nullptr, 50), 0u);
    active_player = nullptr;
    const std::int16_t batch[] = {1, 2};
    EXPECT_EQ(audio_sample_batch_callback(batch, 1), 0u);
    audio_sample_callback(1, 2);
    EXPECT_EQ(player.queued_audio_frames(), 0u);
}

} // namespace
} // namespace tovarune
