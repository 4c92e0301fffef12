// The disc tray of LibretroPlayer, for games of several discs.
#include "libretro_player.h"

#include "engine_text.h"

#include <godot_cpp/core/class_db.hpp>

using godot::ClassDB;
using godot::D_METHOD;
using godot::String;

namespace tovarune {

int64_t LibretroPlayer::get_disk_count() const { return player_.disk_count(); }

int64_t LibretroPlayer::get_disk_index() const { return player_.disk_index(); }

bool LibretroPlayer::set_disk_index(int64_t p_index) {
    return with_frame_shown(player_.set_disk_index(p_index));
}

bool LibretroPlayer::is_disk_ejected() const { return player_.disk_ejected(); }

bool LibretroPlayer::set_disk_ejected(bool p_ejected) {
    return with_frame_shown(player_.set_disk_ejected(p_ejected));
}

String LibretroPlayer::get_disk_label(int64_t p_index) const {
    return to_engine(player_.disk_label(p_index));
}

bool LibretroPlayer::add_disk(const String &p_path) {
    return with_frame_shown(player_.add_disk(to_utf8(p_path)));
}

void LibretroPlayer::bind_disc_methods() {
    ClassDB::bind_method(D_METHOD("get_disk_count"), &LibretroPlayer::get_disk_count);
    ClassDB::bind_method(D_METHOD("get_disk_index"), &LibretroPlayer::get_disk_index);
    ClassDB::bind_method(D_METHOD("set_disk_index", "index"), &LibretroPlayer::set_disk_index);
    ClassDB::bind_method(D_METHOD("is_disk_ejected"), &LibretroPlayer::is_disk_ejected);
    ClassDB::bind_method(D_METHOD("set_disk_ejected", "ejected"),
                         &LibretroPlayer::set_disk_ejected);
    ClassDB::bind_method(D_METHOD("get_disk_label", "index"), &LibretroPlayer::get_disk_label);
    ClassDB::bind_method(D_METHOD("add_disk", "path"), &LibretroPlayer::add_disk);
}

} // namespace tovarune
