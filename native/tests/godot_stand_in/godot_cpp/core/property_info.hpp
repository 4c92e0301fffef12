#pragma once

// Test stand-in: a named, typed argument of a signal.

#include <godot_cpp/variant/variant.hpp>

#include <string>

namespace godot {

struct PropertyInfo {
    Variant::Type type = Variant::NIL;
    std::string name;

    PropertyInfo(Variant::Type p_type, const char *p_name) : type(p_type), name(p_name) {}
};

} // namespace godot
