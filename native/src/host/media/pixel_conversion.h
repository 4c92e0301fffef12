#pragma once

#include <cstddef>
#include <cstdint>

namespace tovarune {

// One software frame as a core hands it over. `pitch` is the byte distance
// between row starts and may exceed the row's own size.
struct VideoFrame {
    const void *data = nullptr;
    unsigned width = 0;
    unsigned height = 0;
    std::size_t pitch = 0;
    unsigned pixel_format = 0; // a libretro retro_pixel_format value
};

// Bytes of the RGBA8 image of a frame: width x height x 4, in 64 bits.
std::uint64_t rgba_size(unsigned width, unsigned height);

// The engine's largest image side.
constexpr unsigned max_frame_side = 16384;

// Bytes of one source pixel in a libretro pixel format.
std::size_t bytes_per_pixel(unsigned pixel_format);

// True when the frame can be converted: it has pixels, fits the engine's
// image limits, and every row holds its width in the frame's format, so that
// no read leaves the core's buffer. Nothing is multiplied before the sides
// are known to be small.
bool frame_is_convertible(const VideoFrame &frame);

// Writes the frame as tightly packed RGBA8 (alpha 255) into `rgba`, which
// holds rgba_size(width, height) bytes. Formats other than XRGB8888 and
// RGB565 are read as 0RGB1555. 5- and 6-bit channels widen as
// floor(c * 255 / max), not by bit replication.
void convert_frame(const VideoFrame &frame, std::uint8_t *rgba);

// The implementations behind convert_frame, which takes the fastest this CPU
// runs. All give the same bytes; naming one is for tests and benchmarks.
enum class PixelPath { portable, sse2, avx2 };
bool pixel_path_available(PixelPath path);
void convert_frame(const VideoFrame &frame, std::uint8_t *rgba, PixelPath path);

} // namespace tovarune
