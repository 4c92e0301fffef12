#pragma once

#include <godot_cpp/classes/ref_counted.hpp>
#include <godot_cpp/variant/packed_string_array.hpp>
#include <godot_cpp/variant/string.hpp>

namespace godot {

// Lists res:// directories of the stand-in pack.
class DirAccess : public RefCounted {
public:
    static bool dir_exists_absolute(const String &p_path);
    static PackedStringArray get_files_at(const String &p_path);
    static PackedStringArray get_directories_at(const String &p_path);
};

} // namespace godot
