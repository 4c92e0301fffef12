#include "player.h"

namespace tovarune {

void Player::log_core_line(unsigned level, const char *line) {
    std::string message(line);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    if (level >= RETRO_LOG_WARN) {
        ++problems_logged_;
    }
    if (events_ != nullptr && !message.empty()) {
        events_->core_logged(level, message);
    }
}

void Player::ignore_call_from_other_thread() {
    if (!told_of_other_threads_.exchange(true)) {
        log_core_line(RETRO_LOG_WARN, "O core chamou o frontend de outra thread, fora da sua vez; "
                                      "chamadas assim sao ignoradas.");
    }
}

} // namespace tovarune
