// Frames per second of each Debian libretro core, through the host (frame
// conversion, audio queue, input) and in a bare loop whose callbacks do
// nothing: the difference is what the host costs a game.

#include "bench_sink.h"
#include "content/byte_buffer.h"
#include "content/file_io.h"
#include "core/core_api.h"
#include "core/core_library.h"
#include "player.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

struct RealCore {
    const char *name;
    const char *library;
    const char *rom;
};

constexpr RealCore cores[] = {
    {"nestopia", "nestopia_libretro", "battery.nes"},
    {"gambatte", "gambatte_libretro", "battery.gb"},
    {"mgba", "mgba_libretro", "battery.gba"},
    {"bsnes_mercury", "bsnes_mercury_performance_libretro", "battery.sfc"},
    {"pce_fast", "mednafen_pce_fast_libretro", "battery.pce"},
};

constexpr int frames_per_run = 300;

std::string library_path(const RealCore &core) {
    return std::string(LIBRETRO_CORE_DIR) + "/" + core.library + ".so";
}

std::string rom_path(const RealCore &core) { return std::string(ROM_DIR) + "/" + core.rom; }

namespace bare {

// Some cores refuse a game without a system directory.
const char *const system_directory = "/tmp/tovarune-bench/system";

bool environment(unsigned command, void *data) {
    if (command == RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY ||
        command == RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY) {
        *static_cast<const char **>(data) = system_directory;
        return true;
    }
    if (command == RETRO_ENVIRONMENT_SET_PIXEL_FORMAT) {
        return true;
    }
    if (command == RETRO_ENVIRONMENT_GET_CAN_DUPE) {
        *static_cast<bool *>(data) = true;
        return true;
    }
    return false;
}
void video(const void *, unsigned, unsigned, size_t) {}
void sample(int16_t, int16_t) {}
size_t batch(const int16_t *, size_t frames) { return frames; }
void poll() {}
int16_t input(unsigned, unsigned, unsigned, unsigned) { return 0; }

} // namespace bare

void through_bare_loop(benchmark::State &state, RealCore core) {
    tovarune::create_directories(bare::system_directory);
    void *library = tovarune::open_library(library_path(core));
    tovarune::CoreApi api;
    if (library == nullptr || tovarune::bind_core_api(api, library) != nullptr) {
        state.SkipWithError("core not installed");
        if (library != nullptr) {
            tovarune::close_library(library);
        }
        return;
    }
    api.retro_set_environment(bare::environment);
    api.retro_set_video_refresh(bare::video);
    api.retro_set_audio_sample(bare::sample);
    api.retro_set_audio_sample_batch(bare::batch);
    api.retro_set_input_poll(bare::poll);
    api.retro_set_input_state(bare::input);
    api.retro_init();
    retro_system_info info{};
    api.retro_get_system_info(&info);
    const std::string rom = rom_path(core);
    tovarune::ByteBuffer bytes;
    retro_game_info game{rom.c_str(), nullptr, 0, nullptr};
    if (!info.need_fullpath && tovarune::read_file(rom, bytes) == tovarune::ReadResult::ok) {
        game.data = bytes.data();
        game.size = bytes.size();
    }
    if (api.retro_load_game(&game)) {
        for (auto _ : state) {
            api.retro_run();
        }
        api.retro_unload_game();
    } else {
        state.SkipWithError("ROM not built or refused");
    }
    api.retro_deinit();
    tovarune::close_library(library);
}

void through_host(benchmark::State &state, RealCore core) {
    tovarune::Player player;
    tovarune::bench::ConvertingSink sink;
    player.set_frame_sink(&sink);
    player.set_paths(bare::system_directory, bare::system_directory);
    if (!player.load_core(library_path(core)) || !player.load_game(rom_path(core))) {
        state.SkipWithError(player.last_error().c_str());
        return;
    }
    std::vector<tovarune::StereoFrame> audio(4096);
    const auto pop = [&](std::size_t i, const tovarune::StereoFrame &frame) { audio[i] = frame; };
    int frame = 0;
    for (auto _ : state) {
        player.set_button(8, (++frame / 30) % 2 == 0);
        player.run_frame();
        player.pop_audio_frames(4096, pop);
        benchmark::DoNotOptimize(audio.data());
    }
    player.unload_core();
}

const bool registered = [] {
    for (const RealCore &core : cores) {
        const std::string name = std::string("core/") + core.name;
        benchmark::RegisterBenchmark((name + "/bare").c_str(), through_bare_loop, core)
            ->Iterations(frames_per_run)
            ->Repetitions(3);
        benchmark::RegisterBenchmark((name + "/host").c_str(), through_host, core)
            ->Iterations(frames_per_run)
            ->Repetitions(3);
    }
    return true;
}();

} // namespace
