#include "saves/save_ram_path.h"

namespace tovarune {

namespace {

bool is_separator(char c, PathStyle style) {
    return c == '/' || (style == PathStyle::windows && c == '\\');
}

bool starts_with_drive(const std::string &text) {
    const char letter = text.size() >= 2 ? text[0] : '\0';
    return ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) && text[1] == ':';
}

std::string file_name_of(const std::string &path, PathStyle style) {
    std::size_t start = 0;
    for (std::size_t i = path.size(); i > 0; --i) {
        if (is_separator(path[i - 1], style)) {
            start = i;
            break;
        }
    }
    if (start == 0 && style == PathStyle::windows && starts_with_drive(path)) {
        start = 2;
    }
    std::string name = path.substr(start);
    if (style == PathStyle::windows) {
        // "name:stream" names an alternate data stream of `name`.
        const std::size_t colon = name.find(':');
        if (colon != std::string::npos) {
            name.resize(colon);
        }
    }
    return name;
}

std::string stem_of(const std::string &name) {
    if (name == "." || name == "..") {
        return name;
    }
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return name;
    }
    return name.substr(0, dot);
}

} // namespace

std::string game_save_name(const std::string &rom_path, PathStyle style) {
    return stem_of(file_name_of(rom_path, style));
}

std::string save_file_path(const std::string &save_dir, const std::string &name,
                           const std::string &extension, PathStyle style) {
    if (save_dir.empty()) {
        return {};
    }
    std::string path = save_dir;
    const bool drive_alone =
        style == PathStyle::windows && save_dir.size() == 2 && starts_with_drive(save_dir);
    if (!is_separator(save_dir.back(), style) && !drive_alone) {
        path += style == PathStyle::windows ? '\\' : '/';
    }
    return path + name + extension;
}

std::string save_ram_path(const std::string &save_dir, const std::string &rom_path,
                          PathStyle style) {
    return rom_path.empty()
               ? std::string()
               : save_file_path(save_dir, game_save_name(rom_path, style), ".srm", style);
}

} // namespace tovarune
