#pragma once

#include <godot_cpp/classes/wrapped.hpp>

namespace godot {

class Object : public Wrapped {
public:
    static const char *get_class_static() { return "Object"; }
};

} // namespace godot
