#pragma once

#include <godot_cpp/classes/object.hpp>
#include <godot_cpp/variant/string.hpp>

namespace godot {

// As in an exported game: user:// lies in stand_in::user_directory(), and res://
// inside the pack (a relative path).
class ProjectSettings : public Object {
public:
    static ProjectSettings *get_singleton();
    String globalize_path(const String &p_path) const;
};

} // namespace godot
