#pragma once

#include <utility>

namespace tovarune {

// Marks the time spent inside a core's code. Meanwhile the players refuse to
// load, unload or run anything: the code and data of a core that is on the
// stack must stay where they are until it returns. Process-wide, like the
// callbacks through which anything could reach a player from there.
class CoreCall {
public:
    CoreCall() { ++depth_; }
    ~CoreCall() { --depth_; }
    CoreCall(const CoreCall &) = delete;
    CoreCall &operator=(const CoreCall &) = delete;

    static bool under_way() { return depth_ != 0; }

private:
    static inline int depth_ = 0;
};

// Calls a core's entry point inside a CoreCall.
template <typename Result, typename... Parameters, typename... Arguments>
Result call_core(Result (*entry_point)(Parameters...), Arguments &&...arguments) {
    const CoreCall call;
    return entry_point(std::forward<Arguments>(arguments)...);
}

} // namespace tovarune
