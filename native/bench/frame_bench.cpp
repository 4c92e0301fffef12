// The host's whole cost for one frame of a fake core that delivers a 512x448
// XRGB8888 picture and 800 audio frames, asks for the sixteen buttons and polls
// its options once.

#include "allocation_counter.h"
#include "bench_sink.h"
#include "core/core_library.h"
#include "fake_core_control.h"
#include "player.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

FakeCoreControl *control;

void ask_like_a_game(const char *entry_point) {
    if (std::string(entry_point) != "retro_run") {
        return;
    }
    for (unsigned id = 0; id < 16; ++id) {
        benchmark::DoNotOptimize(control->input_state(0, RETRO_DEVICE_JOYPAD, 0, id));
    }
    bool updated = false;
    control->environment(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &updated);
}

void host_frame(benchmark::State &state) {
    void *library = tovarune::open_library(FAKE_CORE_PATH);
    if (library == nullptr) {
        state.SkipWithError("fake core not built");
        return;
    }
    reinterpret_cast<void (*)()>(tovarune::find_symbol(library, "fake_core_reset"))();
    control = reinterpret_cast<FakeCoreControl *(*)()>(
        tovarune::find_symbol(library, "fake_core_control"))();

    const std::string rom =
        std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/tovarune-bench.rom";
    if (std::FILE *file = std::fopen(rom.c_str(), "wb")) {
        std::fputc(1, file);
        std::fclose(file);
    }
    std::vector<std::uint32_t> pixels(512 * 448, 0x00336699);
    std::vector<std::int16_t> samples(2 * 800, 1000);
    tovarune::Player player;
    tovarune::bench::ConvertingSink sink;
    player.set_frame_sink(&sink);
    player.load_core(FAKE_CORE_PATH);
    player.load_game(rom);
    unsigned format = RETRO_PIXEL_FORMAT_XRGB8888;
    {
        const tovarune::CoreScope inside = player.enter_core();
        control->environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format);
    }
    control->frame_data = pixels.data();
    control->frame_width = 512;
    control->frame_height = 448;
    control->frame_pitch = 512 * 4;
    control->audio = samples.data();
    control->audio_frames = 800;
    control->hook = ask_like_a_game;
    std::vector<tovarune::StereoFrame> audio(4096);
    const auto pop = [&](std::size_t i, const tovarune::StereoFrame &frame) { audio[i] = frame; };

    // One frame first, so buffers that live across frames exist.
    player.run_frame();
    player.pop_audio_frames(4096, pop);
    const std::size_t allocations_before = tovarune::bench::allocation_count();
    for (auto _ : state) {
        player.set_button(8, state.iterations() % 2 == 0);
        player.run_frame();
        player.pop_audio_frames(4096, pop);
        benchmark::DoNotOptimize(audio.data());
    }
    state.counters["allocations_per_frame"] =
        static_cast<double>(tovarune::bench::allocation_count() - allocations_before) /
        static_cast<double>(state.iterations());
    control->hook = nullptr;
    player.unload_core();
    tovarune::close_library(library);
    std::remove(rom.c_str());
}
BENCHMARK(host_frame)->Name("host_frame/512x448_xrgb8888_800_audio")->Repetitions(5);

} // namespace
