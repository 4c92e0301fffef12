#include "content/disc_index.h"
#include "content/content_requests.h"

#include <cctype>

namespace tovarune {

namespace {

// Larger files are disc images, not the text that names them.
constexpr std::size_t largest_index = 1 << 20;

std::vector<std::string> lines_of(const ByteBuffer &bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        const char c = i < bytes.size() ? static_cast<char>(bytes.data()[i]) : '\n';
        if (c == '\n' || c == '\r') {
            if (!line.empty()) {
                lines.push_back(line);
            }
            line.clear();
        } else {
            line += c == '\\' ? '/' : c;
        }
    }
    return lines;
}

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string trimmed(const std::string &text) {
    std::size_t start = 0, end = text.size();
    while (start < end && is_space(text[start])) {
        ++start;
    }
    while (end > start && is_space(text[end - 1])) {
        --end;
    }
    return text.substr(start, end - start);
}

// A field at `at`: quoted, or up to the next space. `at` moves past it.
std::string field(const std::string &line, std::size_t &at) {
    while (at < line.size() && is_space(line[at])) {
        ++at;
    }
    std::size_t end;
    std::string text;
    if (at < line.size() && line[at] == '"') {
        end = line.find('"', at + 1);
        end = end == std::string::npos ? line.size() : end;
        text = line.substr(at + 1, end - at - 1);
        ++end;
    } else {
        end = at;
        while (end < line.size() && !is_space(line[end])) {
            ++end;
        }
        text = line.substr(at, end - at);
    }
    at = end;
    return text;
}

// FILE "name with spaces.bin" BINARY, or FILE name.bin BINARY.
std::string cue_file(const std::string &line) {
    const std::string text = trimmed(line);
    if (text.size() < 5 || !is_space(text[4]) ||
        (text.compare(0, 4, "FILE") != 0 && text.compare(0, 4, "file") != 0)) {
        return {};
    }
    std::string rest = trimmed(text.substr(5));
    if (!rest.empty() && rest[0] == '"') {
        std::size_t at = 0;
        return field(rest, at);
    }
    const std::size_t type = rest.find_last_of(" \t");
    return trimmed(type == std::string::npos ? rest : rest.substr(0, type));
}

} // namespace

std::vector<std::string> named_files(const std::string &file_name, const ByteBuffer &bytes) {
    const std::string extension = file_extension(file_name);
    std::vector<std::string> names;
    if (extension == "ccd") {
        const std::string stem = file_name.substr(0, file_name.size() - 4);
        const std::size_t cut = stem.find_last_of('/');
        const std::string base = cut == std::string::npos ? stem : stem.substr(cut + 1);
        return {base + ".img", base + ".sub", base + ".cue"};
    }
    if (bytes.size() > largest_index) {
        return names;
    }
    const std::vector<std::string> lines = lines_of(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (extension == "cue") {
            name = cue_file(lines[i]);
        } else if (extension == "m3u") {
            name = trimmed(lines[i]);
            name = !name.empty() && name[0] == '#' ? std::string() : name;
        } else if (extension == "gdi" && i > 0) { // the first line counts the tracks
            std::size_t at = 0;
            for (int skipped = 0; skipped < 4; ++skipped) {
                field(lines[i], at); // track, start, type, sector size
            }
            name = field(lines[i], at);
        }
        if (!name.empty()) {
            names.push_back(name);
        }
    }
    return names;
}

std::string inside_folder(const std::string &name) {
    if (name.empty() || name[0] == '/' || name.find(':') != std::string::npos) {
        return {};
    }
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        end = end == std::string::npos ? name.size() : end;
        const std::string level = name.substr(start, end - start);
        if (level == "..") {
            if (levels.empty()) {
                return {};
            }
            levels.pop_back();
        } else if (!level.empty() && level != ".") {
            levels.push_back(level);
        }
        start = end + 1;
    }
    std::string inside;
    for (const std::string &level : levels) {
        inside += (inside.empty() ? "" : "/") + level;
    }
    return inside;
}

} // namespace tovarune
