#pragma once

namespace godot {

class ClassDB;

class Wrapped {
public:
    virtual ~Wrapped() {}
};

} // namespace godot

// What the stand-in's ClassDB needs from a registered class.
#define GDCLASS(m_class, m_inherits)                                                               \
private:                                                                                           \
    friend class ::godot::ClassDB;                                                                 \
                                                                                                   \
public:                                                                                            \
    typedef m_class self_type;                                                                     \
    typedef m_inherits parent_type;                                                                \
    static const char *get_class_static() { return #m_class; }                                     \
    static const char *get_parent_class_static() { return m_inherits::get_class_static(); }        \
                                                                                                   \
private:
