#pragma once

#include "options_store.h"

#include <libretro.h>

#include <algorithm>
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
    unsigned number() { return byte() | byte() << 8 | byte() << 16 | unsigned(byte()) << 24; }
    // The bytes up to the next NUL, or to the end.
    std::string text() {
        const void *nul = std::memchr(data, 0, size);
        const std::size_t n = nul != nullptr ? static_cast<const std::uint8_t *>(nul) - data : size;
        std::string s(reinterpret_cast<const char *>(data), n);
        data += nul != nullptr ? n + 1 : n;
        size -= nul != nullptr ? n + 1 : n;
        return s;
    }
};

// A core's declaration array: entries with a text or a null value (kind 1),
// ending at a null key (kind 0 or the end of the input).
struct Declaration {
    explicit Declaration(FuzzInput &in) {
        for (std::uint8_t kind; in.size != 0 && (kind = in.byte() % 4) != 0;) {
            texts.push_back(in.text());
            const char *key = texts.back().c_str();
            texts.push_back(kind == 1 ? std::string() : in.text());
            entries.push_back({key, kind == 1 ? nullptr : texts.back().c_str()});
        }
        entries.push_back({nullptr, nullptr});
    }
    std::deque<std::string> texts; // a deque keeps the entries' pointers valid
    std::vector<retro_variable> entries;
};

// Both maps hold the same keys, in byte order, each value one of its choices.
inline void check_options(const OptionsStore &options, const Declaration &last) {
    for (const retro_variable &v : last.entries) {
        require(v.key == nullptr ||
                (options.value(v.key) == nullptr) == (options.choices(v.key) == nullptr));
    }
    const std::vector<std::string> keys = options.sorted_keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        require(i == 0 || keys[i - 1] < keys[i]);
        const std::vector<std::string> *choices = options.choices(keys[i]);
        require(choices != nullptr && !choices->empty());
        require(std::count(choices->begin(), choices->end(), *options.value(keys[i])) > 0);
    }
}

} // namespace tovarune::fuzz
