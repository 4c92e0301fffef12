#include "pixel_conversion.h"

#include <libretro.h>

#include <array>
#include <cstring>

namespace tovarune {

namespace {

template <unsigned Max> constexpr std::array<std::uint8_t, Max + 1> widening_table() {
    std::array<std::uint8_t, Max + 1> table{};
    for (unsigned c = 0; c <= Max; ++c) {
        table[c] = static_cast<std::uint8_t>(c * 255 / Max);
    }
    return table;
}

constexpr auto widen5 = widening_table<31>();
constexpr auto widen6 = widening_table<63>();

inline std::uint16_t read16(const std::uint8_t *p) {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::uint32_t read32(const std::uint8_t *p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void put(std::uint8_t *out, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    out[0] = r;
    out[1] = g;
    out[2] = b;
    out[3] = 255;
}

void convert_row_xrgb8888(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    for (unsigned x = 0; x < width; ++x, src += 4, out += 4) {
        const std::uint32_t p = read32(src);
        put(out, static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
            static_cast<std::uint8_t>(p));
    }
}

void convert_row_rgb565(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    for (unsigned x = 0; x < width; ++x, src += 2, out += 4) {
        const std::uint16_t p = read16(src);
        put(out, widen5[(p >> 11) & 0x1f], widen6[(p >> 5) & 0x3f], widen5[p & 0x1f]);
    }
}

void convert_row_0rgb1555(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    for (unsigned x = 0; x < width; ++x, src += 2, out += 4) {
        const std::uint16_t p = read16(src);
        put(out, widen5[(p >> 10) & 0x1f], widen5[(p >> 5) & 0x1f], widen5[p & 0x1f]);
    }
}

} // namespace

std::uint64_t rgba_size(unsigned width, unsigned height) {
    return static_cast<std::uint64_t>(width) * height * 4;
}

void convert_frame(const VideoFrame &frame, std::uint8_t *rgba) {
    auto convert_row = convert_row_0rgb1555;
    if (frame.pixel_format == RETRO_PIXEL_FORMAT_XRGB8888) {
        convert_row = convert_row_xrgb8888;
    } else if (frame.pixel_format == RETRO_PIXEL_FORMAT_RGB565) {
        convert_row = convert_row_rgb565;
    }
    const auto *src = static_cast<const std::uint8_t *>(frame.data);
    const std::size_t out_stride = static_cast<std::size_t>(frame.width) * 4;
    for (unsigned y = 0; y < frame.height; ++y) {
        convert_row(src + y * frame.pitch, rgba + y * out_stride, frame.width);
    }
}

} // namespace tovarune
