// What LibretroPlayer tells of the core's options beyond their values: the
// texts, categories and visibility a settings menu is built from.
#include "libretro_player.h"

#include "engine_text.h"

#include <godot_cpp/core/class_db.hpp>

using godot::Array;
using godot::ClassDB;
using godot::D_METHOD;
using godot::Dictionary;
using godot::PackedStringArray;
using godot::String;

namespace tovarune {

namespace {

// Like get_core_option_values, so that both read alike.
PackedStringArray engine_texts(const std::vector<std::string> &texts) {
    PackedStringArray array;
    for (const std::string &text : texts) {
        array.push_back(to_engine(text));
    }
    return array;
}

} // namespace

Dictionary LibretroPlayer::get_core_option_info(const String &p_key) const {
    const Player::Lock held = player_.lock();
    const std::string key = to_utf8(p_key);
    Dictionary info;
    const CoreOptionDetails *details = player_.options().details(key);
    const std::vector<std::string> *values = player_.options().choices(key);
    if (details == nullptr || values == nullptr) {
        return info;
    }
    info["label"] = to_engine(details->label);
    info["description"] = to_engine(details->description);
    info["label_in_category"] = to_engine(details->label_in_category);
    info["description_in_category"] = to_engine(details->description_in_category);
    info["category"] = to_engine(details->category);
    info["visible"] = details->visible;
    info["default"] = to_engine(details->default_value);
    info["value"] = to_engine(*player_.options().value(key));
    info["values"] = engine_texts(*values);
    info["value_labels"] = engine_texts(details->value_labels);
    return info;
}

Array LibretroPlayer::get_core_option_categories() const {
    const Player::Lock held = player_.lock();
    Array categories;
    for (const CoreOptionCategory &category : player_.options().categories()) {
        Dictionary entry;
        entry["key"] = to_engine(category.key);
        entry["label"] = to_engine(category.label);
        entry["description"] = to_engine(category.description);
        categories.push_back(entry);
    }
    return categories;
}

void LibretroPlayer::bind_option_methods() {
    ADD_SIGNAL(godot::MethodInfo("core_options_changed"));
    ClassDB::bind_method(D_METHOD("get_core_option_info", "key"),
                         &LibretroPlayer::get_core_option_info);
    ClassDB::bind_method(D_METHOD("get_core_option_categories"),
                         &LibretroPlayer::get_core_option_categories);
}

} // namespace tovarune
