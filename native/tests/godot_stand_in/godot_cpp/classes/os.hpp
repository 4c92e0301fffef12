#pragma once

#include <godot_cpp/classes/object.hpp>
#include <godot_cpp/variant/string.hpp>

namespace godot {

class OS : public Object {
public:
    static OS *get_singleton();
    // A program in stand_in::executable_directory().
    String get_executable_path() const;
};

} // namespace godot
