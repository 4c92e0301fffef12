#pragma once

#include <cmath>
#include <cstdint>

namespace tovarune {

// libretro's screen space: -0x7fff is the picture's left (or top) edge,
// 0x7fff its right (or bottom) edge. Scripts give positions as fractions of
// the picture, 0..1 on each axis; anything else (a NaN too) is off the picture.

// What a light gun reports off the picture.
inline constexpr std::int16_t off_screen_coordinate = -0x8000;

inline bool on_picture(double fraction) { return fraction >= 0.0 && fraction <= 1.0; }

// The coordinate of a fraction, held to the picture's edges.
inline std::int16_t screen_coordinate(double fraction) {
    const double held = on_picture(fraction) ? fraction : (fraction > 1.0 ? 1.0 : 0.0);
    return static_cast<std::int16_t>(std::lround(held * 2.0 * 0x7fff) - 0x7fff);
}

} // namespace tovarune
