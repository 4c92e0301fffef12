#include "environment/answer.h"
#include "environment/environment_commands.h"

#include <libretro.h>

namespace tovarune::environment {

bool get_can_dupe(Player &, void *data) { return write_answer(data, true); }

bool get_language(Player &, void *data) {
    return write_answer(data, static_cast<unsigned>(RETRO_LANGUAGE_ENGLISH));
}

// Announcements this frontend has nothing to do with.
bool accept(Player &, void *) { return true; }

} // namespace tovarune::environment
