// The input methods of LibretroPlayer: ports, devices and what the core says
// of its controls.
#include "libretro_player.h"

#include "engine_text.h"

#include <godot_cpp/core/class_db.hpp>

using godot::Array;
using godot::ClassDB;
using godot::D_METHOD;
using godot::Dictionary;
using godot::Vector2;

namespace tovarune {

void LibretroPlayer::set_analog_button(int32_t p_port, int32_t p_button_id, double p_value) {
    player_.set_analog_button(p_port, p_button_id, p_value);
}

void LibretroPlayer::add_mouse_motion(int32_t p_port, double p_dx, double p_dy) {
    player_.add_mouse_motion(p_port, p_dx, p_dy);
}

void LibretroPlayer::set_mouse_button(int32_t p_port, int32_t p_button_id, bool p_pressed) {
    player_.set_mouse_button(p_port, p_button_id, p_pressed);
}

void LibretroPlayer::add_mouse_wheel(int32_t p_port, int32_t p_vertical, int32_t p_horizontal) {
    player_.add_mouse_wheel(p_port, p_vertical, p_horizontal);
}

void LibretroPlayer::set_pointer(int32_t p_port, int32_t p_touch, const Vector2 &p_position,
                                 bool p_pressed) {
    player_.set_pointer(p_port, p_touch, p_position.x, p_position.y, p_pressed);
}

void LibretroPlayer::release_pointers(int32_t p_port) { player_.release_pointers(p_port); }

void LibretroPlayer::set_lightgun_position(int32_t p_port, const Vector2 &p_position) {
    player_.set_lightgun_position(p_port, p_position.x, p_position.y);
}

void LibretroPlayer::set_lightgun_button(int32_t p_port, int32_t p_button_id, bool p_pressed) {
    player_.set_lightgun_button(p_port, p_button_id, p_pressed);
}

// Characters beyond Unicode and modifiers beyond retro_mod's bits are not
// passed on.
void LibretroPlayer::set_key(int32_t p_keycode, bool p_pressed, int64_t p_character,
                             int64_t p_modifiers) {
    const auto character =
        p_character >= 0 && p_character <= 0x10FFFF ? static_cast<std::uint32_t>(p_character) : 0u;
    player_.set_key(p_keycode, p_pressed, character,
                    static_cast<std::uint16_t>(p_modifiers & 0x7F));
    after_core_call();
}

Array LibretroPlayer::get_controller_types(int32_t p_port) const {
    Array types;
    for (const ControllerType &type : player_.controller_types(p_port)) {
        Dictionary entry;
        entry["id"] = static_cast<int64_t>(type.id);
        entry["name"] = to_engine(type.name);
        types.push_back(entry);
    }
    return types;
}

bool LibretroPlayer::set_port_device(int32_t p_port, int64_t p_device) {
    return with_frame_shown(player_.set_port_device(p_port, p_device));
}

int64_t LibretroPlayer::get_port_device(int32_t p_port) const {
    return player_.port_device(p_port);
}

Array LibretroPlayer::get_input_descriptors() const {
    Array descriptors;
    for (const InputDescriptor &descriptor : player_.input_descriptors()) {
        Dictionary entry;
        entry["port"] = static_cast<int64_t>(descriptor.port);
        entry["device"] = static_cast<int64_t>(descriptor.device);
        entry["index"] = static_cast<int64_t>(descriptor.index);
        entry["id"] = static_cast<int64_t>(descriptor.id);
        entry["description"] = to_engine(descriptor.description);
        descriptors.push_back(entry);
    }
    return descriptors;
}

void LibretroPlayer::bind_input_methods() {
    ClassDB::bind_method(D_METHOD("set_analog_button", "port", "button_id", "value"),
                         &LibretroPlayer::set_analog_button);
    ClassDB::bind_method(D_METHOD("add_mouse_motion", "port", "dx", "dy"),
                         &LibretroPlayer::add_mouse_motion);
    ClassDB::bind_method(D_METHOD("set_mouse_button", "port", "button_id", "pressed"),
                         &LibretroPlayer::set_mouse_button);
    ClassDB::bind_method(D_METHOD("add_mouse_wheel", "port", "vertical", "horizontal"),
                         &LibretroPlayer::add_mouse_wheel);
    ClassDB::bind_method(D_METHOD("set_pointer", "port", "touch", "position", "pressed"),
                         &LibretroPlayer::set_pointer);
    ClassDB::bind_method(D_METHOD("release_pointers", "port"), &LibretroPlayer::release_pointers);
    ClassDB::bind_method(D_METHOD("set_lightgun_position", "port", "position"),
                         &LibretroPlayer::set_lightgun_position);
    ClassDB::bind_method(D_METHOD("set_lightgun_button", "port", "button_id", "pressed"),
                         &LibretroPlayer::set_lightgun_button);
    ClassDB::bind_method(D_METHOD("set_key", "keycode", "pressed", "character", "modifiers"),
                         &LibretroPlayer::set_key, DEFVAL(0), DEFVAL(0));
    ClassDB::bind_method(D_METHOD("get_controller_types", "port"),
                         &LibretroPlayer::get_controller_types);
    ClassDB::bind_method(D_METHOD("set_port_device", "port", "device"),
                         &LibretroPlayer::set_port_device);
    ClassDB::bind_method(D_METHOD("get_port_device", "port"), &LibretroPlayer::get_port_device);
    ClassDB::bind_method(D_METHOD("get_input_descriptors"), &LibretroPlayer::get_input_descriptors);
}

} // namespace tovarune
