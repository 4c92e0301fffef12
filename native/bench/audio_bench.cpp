// One frame's worth of sound: an 800-frame batch appended, then popped as a
// script pops it.

#include "core/callbacks.h"
#include "media/audio_queue.h"
#include "player.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void audio_frame(benchmark::State &state) {
    tovarune::Player player;
    std::vector<std::int16_t> batch(2 * 800);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        batch[i] = static_cast<std::int16_t>(i * 37);
    }
    std::vector<tovarune::StereoFrame> out(4096);
    for (auto _ : state) {
        tovarune::audio_sample_batch_callback(player, batch.data(), 800);
        player.pop_audio_frames(
            4096, [&](std::size_t i, const tovarune::StereoFrame &frame) { out[i] = frame; });
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(audio_frame)->Name("audio/800_frames_push_and_pop")->Repetitions(5);

} // namespace
