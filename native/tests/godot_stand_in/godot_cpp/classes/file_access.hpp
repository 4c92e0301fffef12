#pragma once

#include <godot_cpp/classes/ref.hpp>
#include <godot_cpp/classes/ref_counted.hpp>
#include <godot_cpp/variant/packed_byte_array.hpp>
#include <godot_cpp/variant/string.hpp>

#include <fstream>

namespace godot {

// Reads res:// files from the stand-in pack, stand_in::pack_directory().
class FileAccess : public RefCounted {
public:
    enum ModeFlags { READ = 1 };

    static bool file_exists(const String &p_path);
    static Ref<FileAccess> open(const String &p_path, ModeFlags p_flags);
    uint64_t get_length() const { return length_; }
    PackedByteArray get_buffer(int64_t p_length) const;

private:
    mutable std::ifstream in_;
    uint64_t length_ = 0;
};

} // namespace godot
