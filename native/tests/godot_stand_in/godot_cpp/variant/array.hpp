#pragma once

#include <godot_cpp/variant/variant.hpp>

#include <cstdint>
#include <vector>

namespace godot {

class Array {
public:
    int64_t size() const { return static_cast<int64_t>(elements_.size()); }
    void push_back(const Variant &p_value) { elements_.push_back(p_value); }
    const Variant &operator[](int64_t p_index) const {
        return elements_[static_cast<std::size_t>(p_index)];
    }

private:
    std::vector<Variant> elements_;
};

} // namespace godot
