// Pixel conversion of each format and size, beside a memcpy of as many bytes
// as the conversion writes.

#include "media/pixel_conversion.h"

#include <libretro.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Size {
    unsigned width, height;
};
constexpr Size sizes[] = {{256, 224}, {512, 448}, {640, 480}};

struct Format {
    unsigned id;
    const char *name;
    unsigned bytes_per_pixel;
};
constexpr Format formats[] = {{RETRO_PIXEL_FORMAT_0RGB1555, "0rgb1555", 2},
                              {RETRO_PIXEL_FORMAT_XRGB8888, "xrgb8888", 4},
                              {RETRO_PIXEL_FORMAT_RGB565, "rgb565", 2}};

tovarune::PixelPath fastest_available() {
    return tovarune::pixel_path_available(tovarune::PixelPath::avx2) ? tovarune::PixelPath::avx2
                                                                     : tovarune::PixelPath::sse2;
}

std::string size_name(Size size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

void convert(benchmark::State &state, Format format, Size size, tovarune::PixelPath path) {
    if (!tovarune::pixel_path_available(path)) {
        state.SkipWithError("this CPU cannot run that path");
        return;
    }
    const std::size_t pitch = std::size_t{size.width} * format.bytes_per_pixel;
    std::vector<std::uint8_t> source(pitch * size.height);
    std::mt19937 random(1);
    for (auto &byte : source) {
        byte = static_cast<std::uint8_t>(random());
    }
    std::vector<std::uint8_t> out(tovarune::rgba_size(size.width, size.height));
    const tovarune::VideoFrame frame{source.data(), size.width, size.height, pitch, format.id};
    for (auto _ : state) {
        tovarune::convert_frame(frame, out.data(), path);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

void copy(benchmark::State &state, Size size) {
    const std::size_t bytes = tovarune::rgba_size(size.width, size.height);
    std::vector<std::uint8_t> source(bytes, 1), out(bytes);
    for (auto _ : state) {
        std::memcpy(out.data(), source.data(), bytes);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

const bool registered = [] {
    for (const Size size : sizes) {
        benchmark::RegisterBenchmark(("memcpy/" + size_name(size)).c_str(), copy, size)
            ->Repetitions(5);
        for (const Format format : formats) {
            // The path convert_frame picks on this CPU, and beside it the
            // SSE2 path that every x86-64 CPU runs.
            for (const auto &[suffix, path] : {std::pair{"", fastest_available()},
                                               std::pair{"_sse2", tovarune::PixelPath::sse2}}) {
                benchmark::RegisterBenchmark(
                    ("convert/" + std::string(format.name) + suffix + "/" + size_name(size))
                        .c_str(),
                    convert, format, size, path)
                    ->Repetitions(5);
            }
        }
    }
    return true;
}();

} // namespace
