#include "saves/memory_access.h"
#include "player.h"

#include <libretro.h>

#include <cstring>
#include <limits>

namespace tovarune {

MemoryView memory_range(MemoryView region, std::int64_t offset, std::int64_t length) {
    if (region.data == nullptr || offset < 0 || length < 0) {
        return {};
    }
    // Unsigned from here: no sum is formed, so nothing can wrap.
    const auto start = static_cast<std::uint64_t>(offset);
    const auto count = static_cast<std::uint64_t>(length);
    const auto size = static_cast<std::uint64_t>(region.size);
    if (start > size || count > size - start) {
        return {};
    }
    return {region.data + start, static_cast<std::size_t>(count)};
}

MemoryView Player::core_memory(unsigned id) const {
    const CoreApi &api = core_api_;
    if (api.retro_get_memory_data == nullptr || api.retro_get_memory_size == nullptr) {
        return {};
    }
    // Both are asked before either answer is looked at.
    auto *data = static_cast<std::uint8_t *>(call_core(api.retro_get_memory_data, id));
    const std::size_t size = call_core(api.retro_get_memory_size, id);
    if (data == nullptr || size == 0) {
        return {};
    }
    return {data, size};
}

MemoryView Player::memory_region(std::int32_t region) const {
    const Lock held = lock();
    if (!game_loaded_ || region < RETRO_MEMORY_SAVE_RAM || region > RETRO_MEMORY_VIDEO_RAM) {
        return {};
    }
    return core_memory(static_cast<unsigned>(region));
}

std::int64_t Player::memory_size(std::int32_t region) const {
    const std::size_t size = memory_region(region).size;
    constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    // Beyond what an offset can name, the rest cannot be reached anyway.
    return static_cast<std::int64_t>(size > largest ? largest : size);
}

MemoryView Player::read_memory(std::int32_t region, std::int64_t offset,
                               std::int64_t length) const {
    return memory_range(memory_region(region), offset, length);
}

bool Player::write_memory(std::int32_t region, std::int64_t offset, const std::uint8_t *data,
                          std::size_t size) {
    if (size > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ||
        (data == nullptr && size != 0)) {
        return false;
    }
    const MemoryView target =
        memory_range(memory_region(region), offset, static_cast<std::int64_t>(size));
    if (target.data == nullptr) {
        return false;
    }
    if (size != 0) {
        std::memcpy(target.data, data, size);
    }
    return true;
}

} // namespace tovarune
