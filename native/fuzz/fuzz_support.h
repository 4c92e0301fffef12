#pragma once
// Shared by the fuzz targets: reading the input and building a core's option
// declaration from it.
#include <libretro.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace tovarune::fuzz {

// A broken invariant must stop the run as a crash, with or without asserts.
inline void require(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

// Reads the fuzz bytes front to back; past the end everything reads as zero.
struct FuzzInput {
    const std::uint8_t *data;
    std::size_t size;

    std::uint8_t byte() { return size == 0 ? 0 : (--size, *data++); }
    // The bytes up to the next NUL, or to the end.
    std::string text() {
        const auto *nul = static_cast<const std::uint8_t *>(std::memchr(data, 0, size));
        const std::string s(reinterpret_cast<const char *>(data), nul ? nul - data : size);
        const std::size_t used = nul ? s.size() + 1 : s.size();
        data += used;
        size -= used;
        return s;
    }
};

// A declaration array: entries with a text or a null value (kind 1), ending at
// a null key (kind 0 or the end of the input). A deque keeps the texts put.
struct Declaration {
    explicit Declaration(FuzzInput &in) {
        for (std::uint8_t kind; in.size != 0 && (kind = in.byte() % 4) != 0;) {
            const char *key = texts.emplace_back(in.text()).c_str();
            entries.push_back({key, kind == 1 ? nullptr : texts.emplace_back(in.text()).c_str()});
        }
        entries.push_back({nullptr, nullptr});
    }
    std::deque<std::string> texts;
    std::vector<retro_variable> entries;
};

} // namespace tovarune::fuzz
