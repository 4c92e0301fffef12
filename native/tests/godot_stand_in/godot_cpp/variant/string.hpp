#pragma once

#include <godot_cpp/variant/char_string.hpp>

#include <cstdint>
#include <ostream>
#include <string>

namespace godot {

// Engine text: a sequence of code points.
class String {
public:
    String() = default;
    String(const char *p_latin1);
    String(const char32_t *p_from) : chars_(p_from) {}

    // Decodes UTF-8; invalid input counts an engine error, as the engine prints one.
    static String utf8(const char *p_from, int64_t p_len = -1);
    CharString utf8() const;

    String operator+(const String &p_other) const {
        return String((chars_ + p_other.chars_).c_str());
    }
    String path_join(const String &p_file) const;
    String get_base_dir() const;

    bool operator==(const String &p_other) const { return chars_ == p_other.chars_; }
    bool operator!=(const String &p_other) const { return chars_ != p_other.chars_; }

private:
    std::u32string chars_;
};

// For test failure messages.
inline std::ostream &operator<<(std::ostream &p_out, const String &p_string) {
    return p_out << '"' << p_string.utf8().get_data() << '"';
}

} // namespace godot
