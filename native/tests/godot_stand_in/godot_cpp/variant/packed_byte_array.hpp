#pragma once

#include <cstdint>
#include <vector>

namespace godot {

class PackedByteArray {
public:
    int64_t resize(int64_t p_new_size) {
        values_.resize(static_cast<std::size_t>(p_new_size));
        return 0;
    }
    int64_t size() const { return static_cast<int64_t>(values_.size()); }
    bool push_back(const uint8_t &p_value) {
        values_.push_back(p_value);
        return true;
    }
    const uint8_t &operator[](int64_t p_index) const {
        return values_.at(static_cast<std::size_t>(p_index));
    }
    const uint8_t *ptr() const { return values_.data(); }
    uint8_t *ptrw() { return values_.data(); }
    bool operator==(const PackedByteArray &p_other) const { return values_ == p_other.values_; }
    bool operator!=(const PackedByteArray &p_other) const { return values_ != p_other.values_; }

private:
    std::vector<uint8_t> values_;
};

} // namespace godot
