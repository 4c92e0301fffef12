// Frame conversion in any pixel format, size and pitch, reading only inside
// the source buffer and writing exactly the RGBA image.
#include "fuzz_support.h"
#include "pixel_conversion.h"

#include <algorithm>
#include <array>

using namespace tovarune;
using namespace tovarune::fuzz;

namespace {

// Straight from the channel layouts, one pixel at a time: a check on the
// vector paths.
std::array<unsigned, 3> expected_rgb(unsigned format, const std::uint8_t *p) {
    if (format == RETRO_PIXEL_FORMAT_XRGB8888) {
        return {p[2], p[1], p[0]};
    }
    const unsigned v = p[0] | p[1] << 8;
    if (format == RETRO_PIXEL_FORMAT_RGB565) {
        return {(v >> 11) * 255 / 31, (v >> 5 & 63) * 255 / 63, (v & 31) * 255 / 31};
    }
    return {(v >> 10 & 31) * 255 / 31, (v >> 5 & 31) * 255 / 31, (v & 31) * 255 / 31};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in(data, size);
    unsigned format = in.byte() % 4;
    if (format == 3) {
        format = in.number<unsigned>(); // any other value reads as 0RGB1555
    }
    unsigned width = in.number<std::uint16_t>();
    unsigned height = in.number<std::uint16_t>();
    const std::size_t pitch = in.number<std::uint16_t>();
    const std::vector<std::uint8_t> source = in.rest();

    // Keep (height - 1) * pitch + width * bpp within the source, and the area small.
    const std::size_t bpp = format == RETRO_PIXEL_FORMAT_XRGB8888 ? 4 : 2;
    width = static_cast<unsigned>(std::min<std::size_t>(width, source.size() / bpp));
    const std::size_t spare = source.size() - width * bpp;
    if (pitch != 0) {
        height = static_cast<unsigned>(std::min<std::size_t>(height, spare / pitch + 1));
    }
    height = std::min(height, (1u << 16) / std::max(width, 1u));

    std::vector<std::uint8_t> rgba(rgba_size(width, height));
    convert_frame(VideoFrame{source.data(), width, height, pitch, format}, rgba.data());

    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const std::uint8_t *out = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            const auto rgb = expected_rgb(format, &source[y * pitch + x * bpp]);
            require(out[0] == rgb[0] && out[1] == rgb[1] && out[2] == rgb[2] && out[3] == 255);
        }
    }
    return 0;
}
