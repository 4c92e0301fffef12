#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

bool get_system_directory(Player &player, void *data) {
    return write_answer(data, player.system_directory());
}

bool get_save_directory(Player &player, void *data) {
    return write_answer(data, player.save_directory());
}

} // namespace tovarune::environment
