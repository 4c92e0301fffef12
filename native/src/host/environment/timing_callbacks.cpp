#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

bool set_frame_time_callback(Player &player, void *data) {
    if (data == nullptr) {
        return false;
    }
    player.frame_callbacks().set_frame_time(*static_cast<const retro_frame_time_callback *>(data));
    return true;
}

bool set_audio_callback(Player &player, void *data) {
    if (data == nullptr) {
        return false;
    }
    player.frame_callbacks().set_audio(*static_cast<const retro_audio_callback *>(data));
    return true;
}

// A null record turns the reports off.
bool set_audio_buffer_status_callback(Player &player, void *data) {
    const auto *status = static_cast<const retro_audio_buffer_status_callback *>(data);
    player.frame_callbacks().set_audio_buffer_status(status != nullptr ? status->callback
                                                                       : nullptr);
    return true;
}

} // namespace tovarune::environment
