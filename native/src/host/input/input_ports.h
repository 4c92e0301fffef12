#pragma once

#include <cstdint>

namespace tovarune {

// The ports a core reads input from: eight, for cores that take eight players.
inline constexpr int input_port_count = 8;

inline bool in_range(std::int32_t value, int count) { return value >= 0 && value < count; }

} // namespace tovarune
