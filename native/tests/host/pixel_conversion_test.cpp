#include "pixel_conversion.h"

#include <libretro.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace tovarune {
namespace {

using Rgba = std::array<std::uint8_t, 4>;

Rgba convert_pixel(unsigned format, std::uint32_t word) {
    std::uint8_t source[4];
    std::memcpy(source, &word, sizeof source);
    Rgba out{};
    convert_frame(VideoFrame{source, 1, 1, 4, format}, out.data());
    return out;
}

struct PixelCase {
    unsigned format;
    std::uint32_t word;
    Rgba expected;
};

TEST(PixelConversion, WidensChannelsByTruncatingDivision) {
    const PixelCase cases[] = {
        // Top byte of XRGB8888 ignored.
        {RETRO_PIXEL_FORMAT_XRGB8888, 0xFF102030u, {0x10, 0x20, 0x30, 255}},
        {RETRO_PIXEL_FORMAT_RGB565, 0xFFFF, {255, 255, 255, 255}},
        // 5-bit 16 gives 131 (bit replication would give 132).
        {RETRO_PIXEL_FORMAT_RGB565, 0x8000, {131, 0, 0, 255}},
        // 6-bit 32 gives 129 (bit replication would give 130).
        {RETRO_PIXEL_FORMAT_RGB565, 0x0400, {0, 129, 0, 255}},
        // 5-bit 3 gives 24 (rounding would give 25).
        {RETRO_PIXEL_FORMAT_RGB565, 0x0003, {0, 0, 24, 255}},
        // Bit 15 of 0RGB1555 ignored.
        {RETRO_PIXEL_FORMAT_0RGB1555, 0x8000, {0, 0, 0, 255}},
        {RETRO_PIXEL_FORMAT_0RGB1555, 0x7FFF, {255, 255, 255, 255}},
        {RETRO_PIXEL_FORMAT_0RGB1555, 16u << 10 | 3u << 5 | 31u, {131, 24, 255, 255}},
        // Unknown formats read as 0RGB1555.
        {7, 0x7C00, {255, 0, 0, 255}},
    };
    for (const PixelCase &c : cases) {
        EXPECT_EQ(convert_pixel(c.format, c.word), c.expected)
            << "format " << c.format << " word " << std::hex << c.word;
    }
}

TEST(PixelConversion, EveryFiveAndSixBitValueMatchesTheWideningRule) {
    for (std::uint32_t c = 0; c < 64; ++c) {
        const auto expected6 = static_cast<std::uint8_t>(c * 255 / 63);
        EXPECT_EQ(convert_pixel(RETRO_PIXEL_FORMAT_RGB565, c << 5)[1], expected6);
        if (c < 32) {
            const auto expected5 = static_cast<std::uint8_t>(c * 255 / 31);
            EXPECT_EQ(convert_pixel(RETRO_PIXEL_FORMAT_RGB565, c << 11)[0], expected5);
            EXPECT_EQ(convert_pixel(RETRO_PIXEL_FORMAT_0RGB1555, c << 5)[1], expected5);
        }
    }
}

TEST(PixelConversion, PaddedPitchGivesTheSameImageAsPackedRows) {
    constexpr unsigned width = 3, height = 2;
    const std::uint16_t packed[width * height] = {0x001F, 0x07E0, 0xF800, 0x1234, 0xABCD, 0xFFFF};
    // Same pixels with five junk pixels after each row.
    constexpr unsigned padded_width = width + 5;
    std::vector<std::uint16_t> padded(padded_width * height, 0xDEAD);
    for (unsigned y = 0; y < height; ++y) {
        std::memcpy(&padded[y * padded_width], &packed[y * width], width * 2);
    }
    // One spare byte past the end shows the converter writes exactly w*h*4.
    std::vector<std::uint8_t> a(rgba_size(width, height) + 1, 0x5A);
    std::vector<std::uint8_t> b(rgba_size(width, height) + 1, 0x5A);
    convert_frame(VideoFrame{packed, width, height, width * 2, RETRO_PIXEL_FORMAT_RGB565},
                  a.data());
    convert_frame(
        VideoFrame{padded.data(), width, height, padded_width * 2, RETRO_PIXEL_FORMAT_RGB565},
        b.data());
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.back(), 0x5A);
    // Row-major, top row first: pixel (0,1) is 0x1234.
    const Rgba second_row_first = convert_pixel(RETRO_PIXEL_FORMAT_RGB565, 0x1234);
    EXPECT_TRUE(
        std::equal(second_row_first.begin(), second_row_first.end(), a.begin() + width * 4));
}

// Reference widening, straight from the rule.
Rgba reference(unsigned format, std::uint32_t p) {
    const auto w5 = [](std::uint32_t c) { return static_cast<std::uint8_t>(c * 255 / 31); };
    const auto w6 = [](std::uint32_t c) { return static_cast<std::uint8_t>(c * 255 / 63); };
    switch (format) {
    case RETRO_PIXEL_FORMAT_XRGB8888:
        return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                static_cast<std::uint8_t>(p), 255};
    case RETRO_PIXEL_FORMAT_RGB565:
        return {w5(p >> 11 & 31), w6(p >> 5 & 63), w5(p & 31), 255};
    default:
        return {w5(p >> 10 & 31), w5(p >> 5 & 31), w5(p & 31), 255};
    }
}

class PixelPaths : public ::testing::TestWithParam<PixelPath> {
protected:
    void SetUp() override {
        if (!pixel_path_available(GetParam())) {
            GTEST_SKIP() << "this CPU cannot run that path";
        }
    }
};

// Whole frames go through the vector code: every 16-bit value, and random
// 32-bit ones, at an odd width, with padded pitch and unaligned rows.
TEST_P(PixelPaths, WideFramesMatchTheRuleForEveryValue) {
    constexpr unsigned width = 251, pad = 13;
    std::uint32_t seed = 12345;
    for (unsigned format : {0u, 1u, 2u}) {
        const unsigned bytes_per_pixel = format == RETRO_PIXEL_FORMAT_XRGB8888 ? 4 : 2;
        const unsigned count = 65536;
        const unsigned height = (count + width - 1) / width;
        const std::size_t pitch = width * bytes_per_pixel + pad;
        std::vector<std::uint8_t> storage(pitch * height + 1);
        std::uint8_t *source = storage.data() + 1; // deliberately misaligned
        std::vector<std::uint32_t> words(width * height);
        for (unsigned i = 0; i < words.size(); ++i) {
            seed = seed * 1103515245u + 12345u;
            words[i] = bytes_per_pixel == 2 ? i % count : seed;
            std::memcpy(source + (i / width) * pitch + (i % width) * bytes_per_pixel, &words[i],
                        bytes_per_pixel);
        }
        std::vector<std::uint8_t> out(rgba_size(width, height));
        convert_frame(VideoFrame{source, width, height, pitch, format}, out.data(), GetParam());
        for (unsigned i = 0; i < words.size(); ++i) {
            const Rgba expected = reference(format, words[i]);
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.begin() + i * 4))
                << "format " << format << " pixel " << i << " word " << std::hex << words[i];
        }
    }
}

std::string path_name(const ::testing::TestParamInfo<PixelPath> &info) {
    switch (info.param) {
    case PixelPath::portable:
        return "portable";
    case PixelPath::sse2:
        return "sse2";
    case PixelPath::avx2:
        return "avx2";
    }
    return "unknown";
}

INSTANTIATE_TEST_SUITE_P(All, PixelPaths,
                         ::testing::Values(PixelPath::portable, PixelPath::sse2, PixelPath::avx2),
                         path_name);

TEST(PixelConversion, SizeIsComputedInSixtyFourBits) {
    EXPECT_EQ(rgba_size(65536, 65536), 65536ull * 65536ull * 4ull);
}

} // namespace
} // namespace tovarune
