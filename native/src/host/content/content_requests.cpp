#include "content/content_requests.h"

#include <cctype>
#include <cstring>

namespace tovarune {

namespace {

std::string lower(std::string text) {
    for (char &c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// A core may leave any byte in a bool.
bool flag(const bool &field) {
    unsigned char byte = 0;
    std::memcpy(&byte, &field, 1);
    return byte != 0;
}

std::size_t name_start(const std::string &path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? 0 : separator + 1;
}

} // namespace

std::string file_extension(const std::string &path) {
    const std::size_t start = name_start(path);
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos || dot <= start ? std::string() : lower(path.substr(dot + 1));
}

void ContentRequests::add_overrides(const retro_system_content_info_override *list) {
    // A core's list is untrusted: bounded, as a list that never ends would be.
    constexpr std::size_t most = 256;
    for (std::size_t i = 0; list != nullptr && i < most && list[i].extensions != nullptr; ++i) {
        const std::string extensions = list[i].extensions;
        std::size_t start = 0;
        while (start <= extensions.size()) {
            std::size_t end = extensions.find('|', start);
            end = end == std::string::npos ? extensions.size() : end;
            const std::string extension = lower(extensions.substr(start, end - start));
            if (!extension.empty() && override_for(extension) == nullptr) {
                overrides_.push_back(
                    {extension, {flag(list[i].need_fullpath), flag(list[i].persistent_data)}});
            }
            start = end + 1;
        }
    }
}

const ContentRequests::Override *ContentRequests::override_for(const std::string &extension) const {
    for (const auto &[known, value] : overrides_) {
        if (known == extension) {
            return &value;
        }
    }
    return nullptr;
}

void ContentRequests::describe_game(const std::string &path, const void *data, std::size_t size,
                                    bool persistent_data) {
    const std::size_t start = name_start(path);
    ext_ = file_extension(path);
    full_path_ = path;
    // The folder without its last separator, but for a root.
    dir_ = path.substr(0, start > 1 ? start - 1 : start);
    name_ = path.substr(start, path.size() - start - (ext_.empty() ? 0 : ext_.size() + 1));
    game_ = retro_game_info_ext{};
    game_.full_path = full_path_.c_str();
    game_.dir = dir_.c_str();
    game_.name = name_.c_str();
    game_.ext = ext_.c_str();
    game_.data = data;
    game_.size = data != nullptr ? size : 0;
    game_.persistent_data = data != nullptr && persistent_data;
    described_ = true;
}

void ContentRequests::forget_game() { described_ = false; }

void ContentRequests::forget() {
    supports_no_game_ = false;
    overrides_.clear();
    forget_game();
    kept_.clear();
}

} // namespace tovarune
