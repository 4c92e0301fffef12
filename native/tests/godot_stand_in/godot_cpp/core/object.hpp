#pragma once

// Test stand-in: what a signal's declaration needs.

#include <godot_cpp/core/property_info.hpp>

#include <string>
#include <vector>

namespace godot {

struct MethodInfo {
    std::string name;
    std::vector<PropertyInfo> arguments;

    template <typename... Args>
    MethodInfo(const char *p_name, const Args &...p_args) : name(p_name), arguments{p_args...} {}
};

#define ADD_SIGNAL(m_signal) ::godot::ClassDB::add_signal(get_class_static(), m_signal)

} // namespace godot
