#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

bool set_support_no_game(Player &player, void *data) {
    if (data == nullptr) {
        return false;
    }
    player.content().set_supports_no_game(read_flag(*static_cast<const bool *>(data)));
    return true;
}

// A null list asks whether overrides (and the extended game info) are known.
bool set_content_info_override(Player &player, void *data) {
    player.content().add_overrides(static_cast<const retro_system_content_info_override *>(data));
    return true;
}

// Outside a game, or in one started without content, there is no info: false.
bool get_game_info_ext(Player &player, void *data) {
    const retro_game_info_ext *game = player.content().game();
    return game != nullptr && write_answer(data, game);
}

} // namespace tovarune::environment
