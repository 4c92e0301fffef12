#pragma once

#include <godot_cpp/classes/object.hpp>

namespace godot {

class Node : public Object {
public:
    static const char *get_class_static() { return "Node"; }
};

} // namespace godot
