#pragma once

#include <godot_cpp/variant/string.hpp>

#include <string>

namespace tovarune {

// The host works on UTF-8 bytes, which end at the first NUL as a core reads them.
std::string to_utf8(const godot::String &text);

// Texts from a core may be any bytes. Decoding invalid UTF-8 would make the
// engine print errors, so such text keeps one character per byte instead.
godot::String to_engine(const std::string &bytes);

} // namespace tovarune
