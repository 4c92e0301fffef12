#pragma once

#include <godot_cpp/classes/wrapped.hpp>
#include <godot_cpp/variant/variant.hpp>
#include <stand_in.hpp>

namespace godot {

class Object : public Wrapped {
public:
    static const char *get_class_static() { return "Object"; }

    template <typename... Args> int emit_signal(const char *p_signal, const Args &...p_args) {
        stand_in::emitted().push_back({this, p_signal, {Variant(p_args)...}});
        return 0;
    }
};

} // namespace godot
