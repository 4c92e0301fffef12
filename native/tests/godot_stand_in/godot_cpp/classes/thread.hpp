#pragma once

#include <godot_cpp/classes/ref_counted.hpp>

namespace godot {

// The main thread is the one that started the test program.
class Thread : public RefCounted {
public:
    static bool is_main_thread();
};

} // namespace godot
