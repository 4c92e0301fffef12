#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

// No user name is known: the core picks its own.
bool get_username(Player &, void *data) {
    return write_answer(data, static_cast<const char *>(nullptr));
}

// The text lives as long as the core.
bool get_libretro_path(Player &player, void *data) {
    const std::string &file = player.core_file();
    return write_answer(data, file.empty() ? nullptr : file.c_str());
}

} // namespace tovarune::environment
