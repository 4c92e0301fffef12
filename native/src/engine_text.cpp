#include "engine_text.h"

#include "host/content/utf8.h"

namespace tovarune {

std::string to_utf8(const godot::String &text) { return std::string(text.utf8().get_data()); }

godot::String to_engine(const std::string &bytes) {
    if (bytes.empty()) {
        return godot::String();
    }
    if (is_valid_utf8(bytes)) {
        return godot::String::utf8(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    std::u32string chars;
    chars.reserve(bytes.size());
    for (const char byte : bytes) {
        chars.push_back(static_cast<unsigned char>(byte));
    }
    return godot::String(chars.c_str());
}

} // namespace tovarune
