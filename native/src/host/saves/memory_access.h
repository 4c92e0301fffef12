#pragma once

#include <cstddef>
#include <cstdint>

namespace tovarune {

// Bytes of a core's memory region, or of a part of one. A null `data` means
// there is nothing to reach.
struct MemoryView {
    std::uint8_t *data = nullptr;
    std::size_t size = 0;
};

// The `length` bytes at `offset` of `region`, when they lie wholly inside it;
// an empty view for a negative, overflowing or past-the-end range.
MemoryView memory_range(MemoryView region, std::int64_t offset, std::int64_t length);

} // namespace tovarune
