#pragma once

#include <godot_cpp/classes/object.hpp>

namespace godot {

class RefCounted : public Object {
public:
    void reference() { ++count_; }
    // True when the last reference went.
    bool unreference() { return --count_ == 0; }

private:
    int count_ = 0;
};

} // namespace godot
