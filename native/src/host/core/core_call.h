#pragma once

#include <mutex>

namespace tovarune {

// Marks the time a thread spends inside a core's code. Meanwhile that thread
// loads, unloads and runs nothing: the code and data of a core that is on its
// stack must stay where they are until it returns. Other threads go on with
// their own players.
class CoreCall {
public:
    CoreCall() { ++depth_; }
    ~CoreCall() { --depth_; }
    CoreCall(const CoreCall &) = delete;
    CoreCall &operator=(const CoreCall &) = delete;

    static bool under_way() { return depth_ != 0; }

private:
    static inline thread_local int depth_ = 0;
};

// Held while a core starts, stops, loads or unloads a game, and while a core
// library is opened or closed. Cores share the C library's hidden state in
// that code (strtok, localtime, rand), so no two players may be in it at once.
// Frames and states run freely side by side.
std::mutex &core_lifecycle_mutex();

} // namespace tovarune
