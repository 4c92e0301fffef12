#pragma once

// Test stand-in: ClassDB records classes and methods for tests to inspect.

#include <godot_cpp/core/defs.hpp>
#include <godot_cpp/core/object.hpp>
#include <godot_cpp/variant/variant.hpp>
#include <stand_in.hpp>

#include <string>
#include <type_traits>
#include <vector>

namespace godot {

class MethodBind;

struct MethodDefinition {
    std::string name;
    std::vector<std::string> args;
};

template <typename... Args> MethodDefinition D_METHOD(const char *p_name, Args... p_args) {
    return MethodDefinition{p_name, {std::string(p_args)...}};
}

#define DEFVAL(m_defval) (m_defval)

namespace stand_in {
template <typename M> struct MemberTraits;
template <typename R, typename C, typename... P> struct MemberTraits<R (C::*)(P...)> {
    static constexpr bool is_const = false;
    static constexpr std::size_t parameter_count = sizeof...(P);
};
template <typename R, typename C, typename... P> struct MemberTraits<R (C::*)(P...) const> {
    static constexpr bool is_const = true;
    static constexpr std::size_t parameter_count = sizeof...(P);
};
} // namespace stand_in

class ClassDB {
public:
    template <typename T> static void register_class(bool p_virtual = false) {
        stand_in::ClassRecord record;
        record.name = T::get_class_static();
        record.parent = T::get_parent_class_static();
        record.is_virtual = p_virtual;
        record.level = stand_in::current_level();
        stand_in::classes().push_back(record);
        T::_bind_methods();
    }

    template <typename N, typename M, typename... VarArgs>
    static MethodBind *bind_method(N p_method_name, M p_method, VarArgs... p_args) {
        stand_in::MethodRecord record;
        record.name = p_method_name.name;
        record.argument_names = p_method_name.args;
        record.default_arguments = {Variant(p_args)...};
        record.parameter_count = stand_in::MemberTraits<M>::parameter_count;
        record.is_const = stand_in::MemberTraits<M>::is_const;
        record.method = p_method;
        stand_in::classes().back().methods.push_back(record);
        return nullptr;
    }

    static void add_signal(const char *, const MethodInfo &p_signal) {
        stand_in::SignalRecord record{p_signal.name, {}};
        for (const PropertyInfo &argument : p_signal.arguments) {
            record.argument_names.push_back(argument.name);
        }
        stand_in::classes().back().signals.push_back(record);
    }
};

#define GDREGISTER_CLASS(m_class) ::godot::ClassDB::register_class<m_class>();

} // namespace godot
