#pragma once

#include "options_store.h"

#include <libretro.h>

#include <cstddef>
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
class FuzzInput {
public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return size_ == 0; }

    std::uint8_t byte() { return empty() ? 0 : (--size_, *data_++); }

    template <typename T> T number() {
        T value{};
        if (empty()) {
            return value;
        }
        const std::size_t n = size_ < sizeof value ? size_ : sizeof value;
        std::memcpy(&value, data_, n);
        data_ += n;
        size_ -= n;
        return value;
    }

    // The bytes up to the next NUL, or to the end.
    std::string text() {
        if (empty()) {
            return {};
        }
        const void *nul = std::memchr(data_, 0, size_);
        const std::size_t n =
            nul != nullptr ? static_cast<const std::uint8_t *>(nul) - data_ : size_;
        std::string s(reinterpret_cast<const char *>(data_), n);
        const std::size_t used = nul != nullptr ? n + 1 : n;
        data_ += used;
        size_ -= used;
        return s;
    }

    // Everything not read yet.
    std::vector<std::uint8_t> rest() {
        std::vector<std::uint8_t> bytes(data_, data_ + size_);
        size_ = 0;
        return bytes;
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
};

// A core's option declaration array built from the input: entries with a
// text or a null value (kind 1), ending at a null key (kind 0 or the end of
// the input). The texts stay put while the array is used.
class Declaration {
public:
    explicit Declaration(FuzzInput &in) {
        while (!in.empty() && keys_.size() < 64) {
            const std::uint8_t kind = in.byte() % 4;
            if (kind == 0) {
                break;
            }
            keys_.push_back(in.text());
            values_.push_back(kind == 1 ? std::string() : in.text());
            entries_.push_back(
                {keys_.back().c_str(), kind == 1 ? nullptr : values_.back().c_str()});
        }
        entries_.push_back({nullptr, nullptr});
    }

    retro_variable *data() { return entries_.data(); }
    const std::deque<std::string> &keys() const { return keys_; }

private:
    // A deque never moves its elements, so the entries' pointers hold.
    std::deque<std::string> keys_;
    std::deque<std::string> values_;
    std::vector<retro_variable> entries_;
};

// The store's invariants: both maps hold the same keys, each list is
// non-empty and each current value is one of its choices; keys come out in
// byte order. The store lists only its values' keys, so `probes` (every key
// the input named) catch a key that has choices but no value.
inline void check_options(const OptionsStore &options, const std::vector<std::string> &probes) {
    for (const std::string &key : probes) {
        require((options.value(key) == nullptr) == (options.choices(key) == nullptr));
    }
    const std::vector<std::string> keys = options.sorted_keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        // std::string compares its bytes as unsigned char.
        require(i == 0 || keys[i - 1] < keys[i]);
        const std::string *value = options.value(keys[i]);
        const std::vector<std::string> *choices = options.choices(keys[i]);
        require(value != nullptr && choices != nullptr && !choices->empty());
        bool found = false;
        for (const std::string &choice : *choices) {
            found = found || choice == *value;
        }
        require(found);
    }
}

} // namespace tovarune::fuzz
