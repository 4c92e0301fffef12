#pragma once
// What each test ROM shows and keeps, and the Debian core that plays it. Every
// ROM keeps a record in battery RAM (marker 0x54, held buttons, a 16-bit frame
// counter) and paints the screen one colour, another while A is held.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovarune::testing {

using Rgba = std::array<std::uint8_t, 4>;

struct Console {
    const char *name, *library, *package, *rom;
    unsigned width, height, probe_x, probe_y;
    Rgba released, held;
    std::size_t record_offset; // of the ROM's record in save RAM
    std::uint8_t a_held;       // the record's button byte with only A held
    int startup_frames;        // before the picture and the record settle
    // An option whose change the picture shows, and the value to change it to.
    const char *option_key, *option_value;
    // Where in system RAM the ROM keeps the colour it shows while A is released
    // (-1: not told), that colour's bytes and those of the colour shown while A
    // is held; and where in save RAM it keeps the second pad's buttons.
    std::int64_t shade_at;
    std::vector<std::uint8_t> shade, held_shade;
    std::int64_t pad2_at;
};

// clang-format off
const Console consoles[] = {
    {"nes", "nestopia_libretro", "libretro-nestopia", "battery.nes", 256, 224, 128, 112,
     {0x15, 0x3C, 0xFE, 0xFF}, {0xD2, 0x2C, 0x00, 0xFF}, 0, 0x80, 4, "nestopia_overscan_v", "disabled", 4, {0x12}, {0x16}, 4},
    {"gb", "gambatte_libretro", "libretro-gambatte", "battery.gb", 160, 144, 0, 0,
     {222, 97, 65, 255}, {24, 113, 180, 255}, 0, 0x01, 3, "gambatte_gbc_color_correction", "disabled", -1, {}, {}, 0},
    {"gba", "mgba_libretro", "libretro-mgba", "battery.gba", 240, 160, 0, 0,
     {255, 129, 0, 255}, {0, 64, 255, 255}, 0, 0x01, 2, nullptr, nullptr, -1, {}, {}, 0},
    {"snes", "bsnes_mercury_performance_libretro", "libretro-bsnes-mercury-performance", "battery.sfc", 256, 224, 128, 112,
     {0, 0, 255, 255}, {255, 0, 0, 255}, 0, 0x80, 2, nullptr, nullptr, 3, {0x00, 0x7C}, {0x1F, 0x00}, 5},
    {"pce", "mednafen_pce_fast_libretro", "libretro-beetle-pce-fast", "battery.pce", 256, 239, 128, 120,
     {0, 0, 255, 255}, {255, 0, 0, 255}, 0x400, 0x01, 2, "pce_last_scanline", "208", -1, {}, {}, 0},
};
// clang-format on

} // namespace tovarune::testing
