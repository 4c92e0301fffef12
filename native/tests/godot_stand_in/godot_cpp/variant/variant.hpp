#pragma once

#include <godot_cpp/variant/packed_string_array.hpp>
#include <godot_cpp/variant/string.hpp>

#include <cstdint>
#include <memory>

namespace godot {

class Dictionary;

// Only what default argument values, dictionary entries and array elements
// need.
class Variant {
public:
    enum Type { NIL, BOOL, INT, FLOAT, STRING, PACKED_STRING_ARRAY, DICTIONARY };

    Variant() = default;
    Variant(bool p_value) : type_(BOOL), int_(p_value) {}
    Variant(int64_t p_value) : type_(INT), int_(p_value) {}
    Variant(int32_t p_value) : Variant(static_cast<int64_t>(p_value)) {}
    Variant(double p_value) : type_(FLOAT), float_(p_value) {}
    Variant(const char *p_value) : Variant(String(p_value)) {}
    Variant(const String &p_value) : type_(STRING), string_(p_value) {}
    Variant(const PackedStringArray &p_value) : type_(PACKED_STRING_ARRAY), strings_(p_value) {}
    Variant(const Dictionary &p_value); // dictionary.hpp

    Type get_type() const { return type_; }
    int64_t as_int() const { return int_; }
    double as_float() const { return float_; }
    operator bool() const { return int_ != 0; }
    operator String() const { return string_; }
    operator PackedStringArray() const { return strings_; }
    operator Dictionary() const;

    bool operator==(const Variant &p_other) const {
        return type_ == p_other.type_ && int_ == p_other.int_ && float_ == p_other.float_ &&
               string_ == p_other.string_;
    }

private:
    Type type_ = NIL;
    int64_t int_ = 0;
    double float_ = 0.0;
    String string_;
    PackedStringArray strings_;
    std::shared_ptr<const Dictionary> dictionary_;
};

} // namespace godot
