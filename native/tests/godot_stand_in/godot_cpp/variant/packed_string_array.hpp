#pragma once

#include <godot_cpp/variant/string.hpp>

#include <cstdint>
#include <vector>

namespace godot {

class PackedStringArray {
public:
    int64_t resize(int64_t p_new_size) {
        values_.resize(static_cast<std::size_t>(p_new_size));
        return 0;
    }
    int64_t size() const { return static_cast<int64_t>(values_.size()); }
    bool push_back(const String &p_value) {
        values_.push_back(p_value);
        return true;
    }
    const String &operator[](int64_t p_index) const {
        return values_.at(static_cast<std::size_t>(p_index));
    }
    String *ptrw() { return values_.data(); }

private:
    std::vector<String> values_;
};

} // namespace godot
