#include "media/pixel_conversion.h"

#include <libretro.h>

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TOVARUNE_AVX2_PATH 1
#endif

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

// Scalar rows: the portable path, and the tail of every vector row.

void convert_row_xrgb8888_scalar(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    for (unsigned x = 0; x < width; ++x, src += 4, out += 4) {
        const std::uint32_t p = read32(src);
        put(out, static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
            static_cast<std::uint8_t>(p));
    }
}

void convert_row_rgb565_scalar(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    for (unsigned x = 0; x < width; ++x, src += 2, out += 4) {
        const std::uint16_t p = read16(src);
        put(out, widen5[(p >> 11) & 0x1f], widen6[(p >> 5) & 0x3f], widen5[p & 0x1f]);
    }
}

void convert_row_0rgb1555_scalar(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    for (unsigned x = 0; x < width; ++x, src += 2, out += 4) {
        const std::uint16_t p = read16(src);
        put(out, widen5[(p >> 10) & 0x1f], widen5[(p >> 5) & 0x1f], widen5[p & 0x1f]);
    }
}

#if defined(__SSE2__)

// floor(c * 255 / 31) == (c * 1053) >> 7 for every 5-bit c, and
// floor(c * 255 / 63) == (c * 259 + 3) >> 6 for every 6-bit c; both products
// fit in 16-bit lanes.
inline __m128i widen5_lanes(__m128i c) {
    return _mm_srli_epi16(_mm_mullo_epi16(c, _mm_set1_epi16(1053)), 7);
}

inline __m128i widen6_lanes(__m128i c) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(c, _mm_set1_epi16(259)), _mm_set1_epi16(3)),
                          6);
}

// Eight pixels whose channels are widened to 16-bit lanes become 32 RGBA bytes.
inline void store_rgba8(std::uint8_t *out, __m128i r, __m128i g, __m128i b) {
    const __m128i rg = _mm_or_si128(r, _mm_slli_epi16(g, 8));
    const __m128i ba = _mm_or_si128(b, _mm_set1_epi16(static_cast<short>(0xFF00)));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi16(rg, ba));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16), _mm_unpackhi_epi16(rg, ba));
}

void convert_row_xrgb8888_sse2(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    const __m128i red_blue = _mm_set1_epi32(0x00FF00FF);
    const __m128i green = _mm_set1_epi32(0x0000FF00);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    unsigned x = 0;
    for (; x + 4 <= width; x += 4, src += 16, out += 16) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
        // 0x00RR00BB becomes 0x00BB00RR: in memory, R G B A.
        const __m128i rb = _mm_and_si128(p, red_blue);
        const __m128i swapped = _mm_or_si128(_mm_slli_epi32(rb, 16), _mm_srli_epi32(rb, 16));
        const __m128i rgba = _mm_or_si128(_mm_or_si128(swapped, _mm_and_si128(p, green)), alpha);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), rgba);
    }
    convert_row_xrgb8888_scalar(src, out, width - x);
}

void convert_row_rgb565_sse2(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    const __m128i five = _mm_set1_epi16(0x1f);
    const __m128i six = _mm_set1_epi16(0x3f);
    unsigned x = 0;
    for (; x + 8 <= width; x += 8, src += 16, out += 32) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
        store_rgba8(out, widen5_lanes(_mm_srli_epi16(p, 11)),
                    widen6_lanes(_mm_and_si128(_mm_srli_epi16(p, 5), six)),
                    widen5_lanes(_mm_and_si128(p, five)));
    }
    convert_row_rgb565_scalar(src, out, width - x);
}

void convert_row_0rgb1555_sse2(const std::uint8_t *src, std::uint8_t *out, unsigned width) {
    const __m128i five = _mm_set1_epi16(0x1f);
    unsigned x = 0;
    for (; x + 8 <= width; x += 8, src += 16, out += 32) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src));
        store_rgba8(out, widen5_lanes(_mm_and_si128(_mm_srli_epi16(p, 10), five)),
                    widen5_lanes(_mm_and_si128(_mm_srli_epi16(p, 5), five)),
                    widen5_lanes(_mm_and_si128(p, five)));
    }
    convert_row_0rgb1555_scalar(src, out, width - x);
}

#endif

#if defined(TOVARUNE_AVX2_PATH)

// The same steps on 256-bit vectors, for CPUs that report AVX2 at run time.

__attribute__((target("avx2"))) inline __m256i widen5_lanes_avx2(__m256i c) {
    return _mm256_srli_epi16(_mm256_mullo_epi16(c, _mm256_set1_epi16(1053)), 7);
}

__attribute__((target("avx2"))) inline __m256i widen6_lanes_avx2(__m256i c) {
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(c, _mm256_set1_epi16(259)), _mm256_set1_epi16(3)), 6);
}

// Sixteen pixels' channels in 16-bit lanes become 64 RGBA bytes. The unpacks
// work within 128-bit halves, so the halves are put back in pixel order.
__attribute__((target("avx2"))) inline void store_rgba16(std::uint8_t *out, __m256i r, __m256i g,
                                                         __m256i b) {
    const __m256i rg = _mm256_or_si256(r, _mm256_slli_epi16(g, 8));
    const __m256i ba = _mm256_or_si256(b, _mm256_set1_epi16(static_cast<short>(0xFF00)));
    const __m256i low = _mm256_unpacklo_epi16(rg, ba);  // pixels 0-3, 8-11
    const __m256i high = _mm256_unpackhi_epi16(rg, ba); // pixels 4-7, 12-15
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(out),
                        _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + 32),
                        _mm256_permute2x128_si256(low, high, 0x31));
}

__attribute__((target("avx2"))) void convert_row_xrgb8888_avx2(const std::uint8_t *src,
                                                               std::uint8_t *out, unsigned width) {
    const __m256i red_blue = _mm256_set1_epi32(0x00FF00FF);
    const __m256i green = _mm256_set1_epi32(0x0000FF00);
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    unsigned x = 0;
    for (; x + 8 <= width; x += 8, src += 32, out += 32) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src));
        const __m256i rb = _mm256_and_si256(p, red_blue);
        const __m256i swapped =
            _mm256_or_si256(_mm256_slli_epi32(rb, 16), _mm256_srli_epi32(rb, 16));
        _mm256_storeu_si256(
            reinterpret_cast<__m256i *>(out),
            _mm256_or_si256(_mm256_or_si256(swapped, _mm256_and_si256(p, green)), alpha));
    }
    convert_row_xrgb8888_sse2(src, out, width - x);
}

__attribute__((target("avx2"))) void convert_row_rgb565_avx2(const std::uint8_t *src,
                                                             std::uint8_t *out, unsigned width) {
    const __m256i five = _mm256_set1_epi16(0x1f);
    const __m256i six = _mm256_set1_epi16(0x3f);
    unsigned x = 0;
    for (; x + 16 <= width; x += 16, src += 32, out += 64) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src));
        store_rgba16(out, widen5_lanes_avx2(_mm256_srli_epi16(p, 11)),
                     widen6_lanes_avx2(_mm256_and_si256(_mm256_srli_epi16(p, 5), six)),
                     widen5_lanes_avx2(_mm256_and_si256(p, five)));
    }
    convert_row_rgb565_sse2(src, out, width - x);
}

__attribute__((target("avx2"))) void convert_row_0rgb1555_avx2(const std::uint8_t *src,
                                                               std::uint8_t *out, unsigned width) {
    const __m256i five = _mm256_set1_epi16(0x1f);
    unsigned x = 0;
    for (; x + 16 <= width; x += 16, src += 32, out += 64) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src));
        store_rgba16(out, widen5_lanes_avx2(_mm256_and_si256(_mm256_srli_epi16(p, 10), five)),
                     widen5_lanes_avx2(_mm256_and_si256(_mm256_srli_epi16(p, 5), five)),
                     widen5_lanes_avx2(_mm256_and_si256(p, five)));
    }
    convert_row_0rgb1555_sse2(src, out, width - x);
}

#endif

using RowConverter = void (*)(const std::uint8_t *, std::uint8_t *, unsigned);

struct RowConverters {
    RowConverter xrgb8888, rgb565, orgb1555;
};

RowConverters row_converters(PixelPath path) {
    switch (path) {
#if defined(__SSE2__)
    case PixelPath::sse2:
        return {convert_row_xrgb8888_sse2, convert_row_rgb565_sse2, convert_row_0rgb1555_sse2};
#endif
#if defined(TOVARUNE_AVX2_PATH)
    case PixelPath::avx2:
        return {convert_row_xrgb8888_avx2, convert_row_rgb565_avx2, convert_row_0rgb1555_avx2};
#endif
    default:
        return {convert_row_xrgb8888_scalar, convert_row_rgb565_scalar,
                convert_row_0rgb1555_scalar};
    }
}

PixelPath fastest_path() {
    for (PixelPath path : {PixelPath::avx2, PixelPath::sse2}) {
        if (pixel_path_available(path)) {
            return path;
        }
    }
    return PixelPath::portable;
}

} // namespace

std::uint64_t rgba_size(unsigned width, unsigned height) {
    return static_cast<std::uint64_t>(width) * height * 4;
}

std::size_t bytes_per_pixel(unsigned pixel_format) {
    return pixel_format == RETRO_PIXEL_FORMAT_XRGB8888 ? 4 : 2;
}

bool frame_is_convertible(const VideoFrame &frame) {
    if (frame.width == 0 || frame.height == 0 || frame.width > max_frame_side ||
        frame.height > max_frame_side) {
        return false;
    }
    return frame.pitch >= frame.width * bytes_per_pixel(frame.pixel_format) &&
           frame.pitch <= SIZE_MAX / frame.height;
}

bool pixel_path_available(PixelPath path) {
    switch (path) {
    case PixelPath::portable:
        return true;
    case PixelPath::sse2:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    case PixelPath::avx2:
#if defined(TOVARUNE_AVX2_PATH)
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

void convert_frame(const VideoFrame &frame, std::uint8_t *rgba) {
    static const PixelPath fastest = fastest_path();
    convert_frame(frame, rgba, fastest);
}

void convert_frame(const VideoFrame &frame, std::uint8_t *rgba, PixelPath path) {
    const RowConverters converters = row_converters(path);
    RowConverter convert_row = converters.orgb1555;
    if (frame.pixel_format == RETRO_PIXEL_FORMAT_XRGB8888) {
        convert_row = converters.xrgb8888;
    } else if (frame.pixel_format == RETRO_PIXEL_FORMAT_RGB565) {
        convert_row = converters.rgb565;
    }
    const auto *src = static_cast<const std::uint8_t *>(frame.data);
    const std::size_t out_stride = static_cast<std::size_t>(frame.width) * 4;
    for (unsigned y = 0; y < frame.height; ++y) {
        convert_row(src + y * frame.pitch, rgba + y * out_stride, frame.width);
    }
}

} // namespace tovarune
