#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

#include <cstring>

namespace tovarune {

namespace {

// A core's text up to the length of a log line.
std::string bounded(const char *text) {
    return std::string(text, strnlen(text, log_line_limit - 1));
}

} // namespace

void Player::show_message(const char *message, double seconds) {
    if (events_ != nullptr) {
        events_->core_message(bounded(message), seconds);
    }
}

namespace environment {

bool set_message(Player &player, void *data) {
    const auto *message = static_cast<const retro_message *>(data);
    if (message == nullptr || message->msg == nullptr) {
        return false;
    }
    // Frames at the game's own rate.
    player.show_message(message->msg, message->frames / player.fps());
    return true;
}

bool set_message_ext(Player &player, void *data) {
    const auto *message = static_cast<const retro_message_ext *>(data);
    if (message == nullptr || message->msg == nullptr) {
        return false;
    }
    // As the reference frontend: the log unless only the screen is meant, the
    // screen unless only the log is; a level it does not know is information.
    if (message->target != RETRO_MESSAGE_TARGET_OSD) {
        const auto level = static_cast<unsigned>(message->level);
        player.log_core_line(level <= RETRO_LOG_ERROR ? level : unsigned{RETRO_LOG_INFO},
                             bounded(message->msg).c_str());
    }
    if (message->target != RETRO_MESSAGE_TARGET_LOG) {
        player.show_message(message->msg, message->duration / 1000.0);
    }
    return true;
}

bool get_message_interface_version(Player &, void *data) { return write_answer(data, 1u); }

} // namespace environment
} // namespace tovarune
