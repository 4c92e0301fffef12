#pragma once

// Test stand-in: what the engine would print, recorded for tests.

#include <godot_cpp/variant/string.hpp>
#include <stand_in.hpp>

namespace godot {

class UtilityFunctions {
public:
    static void push_warning(const String &p_text) {
        stand_in::printed().push_back(std::string("WARNING: ") + p_text.utf8().get_data());
    }
    static void push_error(const String &p_text) {
        stand_in::printed().push_back(std::string("ERROR: ") + p_text.utf8().get_data());
    }
};

} // namespace godot
