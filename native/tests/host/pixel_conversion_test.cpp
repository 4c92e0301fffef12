// Every 16-bit pixel value, and random 32-bit ones, through every conversion
// path this CPU runs, against the widening rule: floor(c * 255 / max).
#include "media/pixel_conversion.h"

#include <libretro.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tovarune {
namespace {

std::vector<std::uint8_t> reference(unsigned format, std::uint32_t p) {
    const auto w5 = [](std::uint32_t c) { return static_cast<std::uint8_t>(c * 255 / 31); };
    const auto w6 = [](std::uint32_t c) { return static_cast<std::uint8_t>(c * 255 / 63); };
    if (format == RETRO_PIXEL_FORMAT_XRGB8888) {
        return {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p), 255};
    }
    if (format == RETRO_PIXEL_FORMAT_RGB565) {
        return {w5(p >> 11 & 31), w6(p >> 5 & 63), w5(p & 31), 255};
    }
    return {w5(p >> 10 & 31), w5(p >> 5 & 31), w5(p & 31), 255};
}

TEST(PixelConversion, EveryPathMatchesTheRuleAtAnOddWidthAndPaddedPitch) {
    EXPECT_EQ(rgba_size(65536, 65536), 1ull << 34);
    constexpr unsigned width = 251, pad = 13, count = 65536, height = (count + width - 1) / width;
    std::uint32_t seed = 12345;
    for (const PixelPath path : {PixelPath::portable, PixelPath::sse2, PixelPath::avx2}) {
        if (!pixel_path_available(path)) {
            continue;
        }
        // The last is no format at all, read as 0RGB1555.
        for (const unsigned format : {0u, 1u, 2u, 7u}) {
            const unsigned bytes_per_pixel = format == RETRO_PIXEL_FORMAT_XRGB8888 ? 4 : 2;
            const std::size_t pitch = width * bytes_per_pixel + pad;
            std::vector<std::uint8_t> storage(pitch * height + 1);
            std::vector<std::uint32_t> words(width * height);
            for (unsigned i = 0; i < words.size(); ++i) {
                seed = seed * 1103515245u + 12345u;
                words[i] = bytes_per_pixel == 2 ? i % count : seed;
                // One byte in: rows start unaligned.
                std::memcpy(&storage[1 + (i / width) * pitch + (i % width) * bytes_per_pixel],
                            &words[i], bytes_per_pixel);
            }
            std::vector<std::uint8_t> out(rgba_size(width, height));
            convert_frame(VideoFrame{&storage[1], width, height, pitch, format}, out.data(), path);
            for (unsigned i = 0; i < words.size(); ++i) {
                ASSERT_EQ(reference(format, words[i]),
                          std::vector<std::uint8_t>(&out[4 * i], &out[4 * i + 4]))
                    << "path " << int(path) << " format " << format << " pixel " << i;
            }
        }
    }
}

} // namespace
} // namespace tovarune
