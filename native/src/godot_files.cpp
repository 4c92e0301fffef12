#include "godot_files.h"

#include "engine_text.h"

#include <godot_cpp/classes/dir_access.hpp>
#include <godot_cpp/classes/file_access.hpp>
#include <godot_cpp/classes/os.hpp>
#include <godot_cpp/classes/project_settings.hpp>
#include <godot_cpp/variant/packed_byte_array.hpp>
#include <godot_cpp/variant/packed_string_array.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>

using godot::DirAccess;
using godot::FileAccess;
using godot::PackedByteArray;
using godot::PackedStringArray;
using godot::Ref;
using godot::String;

namespace tovarune {

namespace {

void list_files(const String &directory, const String &prefix, std::vector<std::string> &names) {
    const PackedStringArray files = DirAccess::get_files_at(directory);
    for (int64_t i = 0; i < files.size(); ++i) {
        names.push_back(to_utf8(prefix + files[i]));
    }
    const PackedStringArray directories = DirAccess::get_directories_at(directory);
    for (int64_t i = 0; i < directories.size(); ++i) {
        list_files(directory.path_join(directories[i]), prefix + directories[i] + "/", names);
    }
}

} // namespace

std::string GodotFiles::globalize(const std::string &path) const {
    return to_utf8(godot::ProjectSettings::get_singleton()->globalize_path(to_engine(path)));
}

std::string GodotFiles::executable_directory() const {
    return to_utf8(godot::OS::get_singleton()->get_executable_path().get_base_dir());
}

ReadResult GodotFiles::read_packed(const std::string &path, ByteBuffer &bytes) const {
    bytes.reset();
    const String name = to_engine(path);
    // Asked first: opening a file that is not there makes the engine complain.
    if (!FileAccess::file_exists(name)) {
        return ReadResult::not_found;
    }
    const Ref<FileAccess> file = FileAccess::open(name, FileAccess::READ);
    if (file.is_null()) {
        return ReadResult::open_failed;
    }
    const uint64_t size = file->get_length();
    if (size > SIZE_MAX || !bytes.allocate(static_cast<std::size_t>(size))) {
        return ReadResult::read_failed;
    }
    // In pieces: the engine would hold a whole large file twice.
    constexpr uint64_t piece = 1 << 20;
    for (uint64_t at = 0; at < size; at += piece) {
        const int64_t length = static_cast<int64_t>(std::min(piece, size - at));
        const PackedByteArray part = file->get_buffer(length);
        if (part.size() != length) {
            bytes.reset();
            return ReadResult::read_failed;
        }
        std::memcpy(bytes.data() + at, part.ptr(), static_cast<std::size_t>(length));
    }
    return ReadResult::ok;
}

std::vector<std::string> GodotFiles::packed_files(const std::string &directory) const {
    std::vector<std::string> names;
    const String name = to_engine(directory);
    if (DirAccess::dir_exists_absolute(name)) {
        list_files(name, String(), names);
    }
    return names;
}

} // namespace tovarune
