#pragma once

#include <godot_cpp/variant/variant.hpp>

#include <cstdint>
#include <utility>
#include <vector>

namespace godot {

// Entries in insertion order; a missing key reads as nil.
class Dictionary {
public:
    int64_t size() const { return static_cast<int64_t>(entries_.size()); }
    bool is_empty() const { return entries_.empty(); }

    const Variant &operator[](const Variant &p_key) const {
        static const Variant nil;
        for (const auto &entry : entries_) {
            if (entry.first == p_key) {
                return entry.second;
            }
        }
        return nil;
    }
    Variant &operator[](const Variant &p_key) {
        for (auto &entry : entries_) {
            if (entry.first == p_key) {
                return entry.second;
            }
        }
        entries_.emplace_back(p_key, Variant());
        return entries_.back().second;
    }

private:
    std::vector<std::pair<Variant, Variant>> entries_;
};

inline Variant::Variant(const Dictionary &p_value)
    : type_(DICTIONARY), dictionary_(std::make_shared<const Dictionary>(p_value)) {}
inline Variant::operator Dictionary() const { return dictionary_ ? *dictionary_ : Dictionary(); }

} // namespace godot
