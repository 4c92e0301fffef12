#pragma once

#include <libretro.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovarune {

// A core's memory map (SET_MEMORY_MAPS): the console's memory by its own
// addresses. Each byte is found through the first descriptor that claims it,
// as libretro.h explains: subtract `start`, pick off `disconnect`, apply `len`
// (clearing the address's highest bits while it is past the end), add
// `offset`. Only the main address space (descriptors without a name) counts.
class MemoryMaps {
public:
    // More descriptors than any console needs: a count past it is garbage.
    static constexpr unsigned descriptor_limit = 1u << 16;

    // Replaces the map (a null map or an empty one leaves none); false, keeping
    // the old one, for a map that cannot be read. Descriptors that contradict
    // themselves, or whose bytes would lie past the end of memory, are left out.
    bool set(const retro_memory_map *map);
    void clear() { descriptors_.clear(); }
    std::size_t size() const { return descriptors_.size(); }

    // Whether every byte of the range is mapped to memory, and to be written,
    // none is read-only.
    bool reaches(std::uint64_t address, std::uint64_t size, bool writing) const;
    // Copies the `size` bytes from `address` on into `out`; false unless every
    // one is mapped to memory.
    bool read(std::uint64_t address, std::uint8_t *out, std::size_t size) const;
    // Copies `data` there; false, writing nothing, unless every byte is mapped
    // to memory that is not read-only (RETRO_MEMDESC_CONST).
    bool write(std::uint64_t address, const std::uint8_t *data, std::size_t size) const;

private:
    struct Descriptor {
        std::uint64_t start, select, disconnect, len;
        std::uintptr_t bytes; // ptr + offset: where the chip's first byte lies
        bool has_memory;      // a null ptr claims its bytes but has none
        bool read_only;
    };
    // Bytes that lie one after the other in memory from an address on.
    struct Run {
        std::uint8_t *data;
        std::uint64_t size; // at least 1
        bool read_only;
    };

    // The run at `address`; false when no descriptor claims the address or
    // the one that does has no memory.
    bool find(std::uint64_t address, Run &run) const;
    // Calls `copy(memory, position, count)` for each run of the range in turn;
    // false, at the first byte that cannot be reached, or for a range that wraps.
    template <typename Copy>
    bool walk(std::uint64_t address, std::uint64_t size, bool writing, Copy &&copy) const;

    std::vector<Descriptor> descriptors_;
};

} // namespace tovarune
