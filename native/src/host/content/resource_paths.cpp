#include "content/resource_paths.h"

namespace tovarune {

namespace {

constexpr const char res_prefix[] = "res://";

bool starts_with(const std::string &text, const char *prefix) { return text.rfind(prefix, 0) == 0; }

// What the engine's globalize_path gives for a file on disk.
bool is_absolute(const std::string &path) {
    const auto separator = [](char c) { return c == '/' || c == '\\'; };
    return (!path.empty() && separator(path[0])) ||
           (path.size() >= 3 && path[1] == ':' && separator(path[2]));
}

} // namespace

bool is_resource_path(const std::string &path) {
    return starts_with(path, res_prefix) || starts_with(path, "user://");
}

Location locate(const EngineFiles *engine, const std::string &path) {
    if (engine == nullptr || !is_resource_path(path)) {
        return {path, false};
    }
    const std::string global = engine->globalize(path);
    if (is_absolute(global)) {
        return {global, false};
    }
    return {path, starts_with(path, res_prefix)};
}

std::string core_location(const EngineFiles *engine, const std::string &path) {
    const Location location = locate(engine, path);
    if (!location.packed) {
        return location.path;
    }
    return engine->executable_directory() + "/" + path.substr(sizeof res_prefix - 1);
}

} // namespace tovarune
