#include "player_signals.h"

#include "engine_text.h"
#include "host/core/core_call.h"

#include <godot_cpp/classes/thread.hpp>
#include <godot_cpp/variant/utility_functions.hpp>

#include <libretro.h>

#include <utility>

namespace tovarune {

namespace {

// A core that logs every frame while nobody takes its news (a player on a
// worker thread, say) must not fill the memory: lines beyond these wait no more.
constexpr std::size_t pending_log_line_limit = 256;
// Distinct lines shown in the engine's output before it starts over.
constexpr std::size_t printed_line_limit = 1024;

} // namespace

void PlayerSignals::core_logged(unsigned level, const std::string &message) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (pending_log_lines_ == pending_log_line_limit) {
            return;
        }
        ++pending_log_lines_;
    }
    add([this, level, message](godot::Object &node) {
        const godot::String text = to_engine(message);
        // Warnings and errors show in the engine's output too, once each, so
        // that a user sees why a core refused a game.
        if (level >= RETRO_LOG_WARN && printed_.insert(message).second) {
            if (printed_.size() > printed_line_limit) {
                printed_ = {message};
            }
            const godot::String line = godot::String("Core Libretro: ") + text;
            if (level >= RETRO_LOG_ERROR) {
                godot::UtilityFunctions::push_error(line);
            } else {
                godot::UtilityFunctions::push_warning(line);
            }
        }
        node.emit_signal("core_log", static_cast<int64_t>(level), text);
    });
}

void PlayerSignals::core_message(const std::string &message, double seconds) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (pending_news_ == pending_log_line_limit) {
            return;
        }
        ++pending_news_;
    }
    add([message, seconds](godot::Object &node) {
        node.emit_signal("core_message", to_engine(message), seconds);
    });
}

void PlayerSignals::shutdown_requested() {
    add([](godot::Object &node) { node.emit_signal("shutdown_requested"); });
}

void PlayerSignals::av_info_changed() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (av_info_pending_) {
            return;
        }
        av_info_pending_ = true;
    }
    add([](godot::Object &node) { node.emit_signal("av_info_changed"); });
}

void PlayerSignals::rumble_changed(unsigned port, unsigned effect, double strength) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (pending_news_ == pending_log_line_limit) {
            return;
        }
        ++pending_news_;
    }
    add([port, effect, strength](godot::Object &node) {
        node.emit_signal("rumble_changed", static_cast<int64_t>(port), static_cast<int64_t>(effect),
                         strength);
    });
}

void PlayerSignals::core_options_changed() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (options_pending_) {
            return;
        }
        options_pending_ = true;
    }
    add([](godot::Object &node) { node.emit_signal("core_options_changed"); });
}

void PlayerSignals::add(Signal signal) {
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back(std::move(signal));
}

std::vector<PlayerSignals::Signal> PlayerSignals::take() {
    if (CoreCall::under_way() || !godot::Thread::is_main_thread()) {
        return {};
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_log_lines_ = 0;
    pending_news_ = 0;
    av_info_pending_ = false;
    options_pending_ = false;
    return std::exchange(pending_, {});
}

} // namespace tovarune
