#pragma once

#include <godot_cpp/variant/vector2.hpp>

#include <cstdint>
#include <vector>

namespace godot {

class PackedVector2Array {
public:
    int64_t resize(int64_t p_new_size) {
        values_.resize(static_cast<std::size_t>(p_new_size));
        return 0;
    }
    int64_t size() const { return static_cast<int64_t>(values_.size()); }
    bool push_back(const Vector2 &p_value) {
        values_.push_back(p_value);
        return true;
    }
    const Vector2 &operator[](int64_t p_index) const {
        return values_.at(static_cast<std::size_t>(p_index));
    }
    Vector2 *ptrw() { return values_.data(); }

private:
    std::vector<Vector2> values_;
};

} // namespace godot
