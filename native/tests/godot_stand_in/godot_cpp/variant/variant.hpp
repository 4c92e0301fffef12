#pragma once

#include <cstdint>

namespace godot {

// Only what default argument values need: nil or an integer.
class Variant {
public:
    enum Type { NIL, INT };

    Variant() = default;
    Variant(int64_t p_value) : type_(INT), int_(p_value) {}

    Type get_type() const { return type_; }
    int64_t as_int() const { return int_; }

private:
    Type type_ = NIL;
    int64_t int_ = 0;
};

} // namespace godot
