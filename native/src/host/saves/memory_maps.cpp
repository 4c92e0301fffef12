#include "saves/memory_maps.h"
#include "player.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tovarune {

namespace {

// Every bit below the highest set one set too.
std::uint64_t bits_down(std::uint64_t n) {
    for (int shift = 1; shift < 64; shift *= 2) {
        n |= n >> shift;
    }
    return n;
}

std::uint64_t highest_bit(std::uint64_t n) {
    n = bits_down(n);
    return n ^ (n >> 1);
}

// Takes the bits of `mask` out of `value`, closing each gap: the address pins
// a chip has no connection to.
std::uint64_t pick_off(std::uint64_t value, std::uint64_t mask) {
    while (mask != 0) {
        const std::uint64_t below = (mask - 1) & ~mask;
        value = (value & below) | ((value >> 1) & ~below);
        mask = (mask & (mask - 1)) >> 1;
    }
    return value;
}

bool main_space(const retro_memory_descriptor &d) {
    return d.addrspace == nullptr || d.addrspace[0] == '\0';
}

} // namespace

bool MemoryMaps::set(const retro_memory_map *map) {
    if (map == nullptr || map->num_descriptors == 0) {
        descriptors_.clear();
        return true;
    }
    if (map->descriptors == nullptr || map->num_descriptors > descriptor_limit) {
        return false;
    }
    descriptors_.clear();
    const retro_memory_descriptor *begin = map->descriptors, *end = begin + map->num_descriptors;
    // The address bits in use: a descriptor of unbounded length reaches as far.
    std::uint64_t top = 1;
    for (const retro_memory_descriptor *d = begin; d != end; ++d) {
        if (main_space(*d) && (d->select != 0 || d->len != 0)) {
            top |= d->select != 0 ? d->select : d->start + (d->len - 1);
        }
    }
    top = bits_down(top);
    for (const retro_memory_descriptor *d = begin; d != end; ++d) {
        Descriptor kept{d->start, d->select, d->disconnect, d->len, 0, false, false};
        // A select must hold every bit of its start; without one, a length is
        // all that bounds the descriptor.
        const bool contradicts = d->select != 0 ? (d->start & ~d->select) != 0 : d->len == 0;
        if (!main_space(*d) || contradicts) {
            continue;
        }
        if (kept.len == 0) {
            kept.len = bits_down(pick_off(top & ~kept.select, kept.disconnect)) + 1;
            if (kept.len == 0) { // the whole address space
                continue;
            }
        }
        if (d->ptr != nullptr) {
            const auto pointer = reinterpret_cast<std::uintptr_t>(d->ptr);
            constexpr std::uintptr_t last = std::numeric_limits<std::uintptr_t>::max();
            if (d->offset > last - pointer || kept.len - 1 > last - (pointer + d->offset)) {
                continue;
            }
            kept.bytes = pointer + d->offset;
            kept.has_memory = true;
        }
        kept.read_only = (d->flags & RETRO_MEMDESC_CONST) != 0;
        descriptors_.push_back(kept);
    }
    return true;
}

bool MemoryMaps::find(std::uint64_t address, Run &run) const {
    for (const Descriptor &d : descriptors_) {
        const std::uint64_t offset = address - d.start;
        if (d.select != 0 ? ((address ^ d.start) & d.select) != 0 : offset >= d.len) {
            continue;
        }
        if (!d.has_memory) {
            return false; // the first descriptor to claim a byte is the one that applies
        }
        // The following addresses stay in step with memory until a selected or
        // disconnected bit changes, or the chip ends.
        std::uint64_t size = std::numeric_limits<std::uint64_t>::max();
        if (const std::uint64_t breaks = d.select | d.disconnect) {
            const std::uint64_t step = breaks & (~breaks + 1);
            size = step - (offset & (step - 1));
        }
        if (d.select == 0) {
            size = std::min(size, d.len - offset);
        }
        std::uint64_t at = pick_off(offset, d.disconnect);
        if (at < d.len) {
            size = std::min(size, d.len - at);
        } else {
            while (at >= d.len) {
                at &= ~highest_bit(at);
            }
            size = 1;
        }
        run = {reinterpret_cast<std::uint8_t *>(d.bytes + at), size, d.read_only};
        return true;
    }
    return false;
}

template <typename Copy>
bool MemoryMaps::walk(std::uint64_t address, std::uint64_t size, bool writing, Copy &&copy) const {
    if (size != 0 && address > std::numeric_limits<std::uint64_t>::max() - (size - 1)) {
        return false;
    }
    for (std::uint64_t done = 0; done < size;) {
        Run run{};
        if (!find(address + done, run) || (writing && run.read_only)) {
            return false;
        }
        const std::uint64_t count = std::min(size - done, run.size);
        copy(run.data, static_cast<std::size_t>(done), static_cast<std::size_t>(count));
        done += count;
    }
    return true;
}

bool MemoryMaps::reaches(std::uint64_t address, std::uint64_t size, bool writing) const {
    return walk(address, size, writing, [](std::uint8_t *, std::size_t, std::size_t) {});
}

bool MemoryMaps::read(std::uint64_t address, std::uint8_t *out, std::size_t size) const {
    return walk(address, size, false,
                [out](std::uint8_t *memory, std::size_t at, std::size_t count) {
                    std::memcpy(out + at, memory, count);
                });
}

bool MemoryMaps::write(std::uint64_t address, const std::uint8_t *data, std::size_t size) const {
    return reaches(address, size, true) &&
           walk(address, size, true,
                [data](std::uint8_t *memory, std::size_t at, std::size_t count) {
                    std::memcpy(memory, data + at, count);
                });
}

bool Player::reaches_address(std::uint64_t address, std::uint64_t length, bool writing) const {
    const Lock held = lock();
    return game_loaded_ && memory_maps_.reaches(address, length, writing);
}

bool Player::read_address(std::uint64_t address, std::uint8_t *out, std::size_t size) const {
    const Lock held = lock();
    return game_loaded_ && (size == 0 || out != nullptr) && memory_maps_.read(address, out, size);
}

bool Player::write_address(std::uint64_t address, const std::uint8_t *data, std::size_t size) {
    const Lock held = lock();
    return game_loaded_ && (size == 0 || data != nullptr) &&
           memory_maps_.write(address, data, size);
}

} // namespace tovarune
