#pragma once

#include "host/core/player_events.h"

#include <godot_cpp/classes/object.hpp>

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace tovarune {

// The player's news, as the signals the node declares. News comes on any
// thread, some of it from inside a core's call; it waits here until the main
// thread, outside every core call, emits it: the handlers are scripts and
// scene nodes.
class PlayerSignals final : public PlayerEvents {
public:
    // A signal ready to go out from the node.
    using Signal = std::function<void(godot::Object &node)>;

    void core_logged(unsigned level, const std::string &message) override;
    void core_message(const std::string &message, double seconds) override;
    void shutdown_requested() override;
    void av_info_changed() override;
    void rumble_changed(unsigned port, unsigned effect, double strength) override;
    void core_options_changed() override;

    // On the main thread outside any core call: what waits, in order, to go
    // out; nothing elsewhere.
    std::vector<Signal> take();

private:
    void add(Signal signal);

    std::mutex mutex_;
    std::vector<Signal> pending_;
    std::size_t pending_log_lines_ = 0;
    // Messages and rumble waiting, bounded as log lines are.
    std::size_t pending_news_ = 0;
    // One change of timing waiting is enough: its handlers read the new values.
    bool av_info_pending_ = false;
    // Likewise for the options: their handlers read them afresh.
    bool options_pending_ = false;
    // Main thread only: the warnings and errors the engine's output has shown.
    std::unordered_set<std::string> printed_;
};

} // namespace tovarune
