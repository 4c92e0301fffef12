#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune {

// Every quirk libretro.h names is kept; none needs the player to act
// otherwise. It asks a state's size before every save and hands a state back
// whole, whatever its size, so it takes states whose size varies
// (FRONT_VARIABLE_SIZE); a serialization that fails, as one may before the
// core is ready (MUST_INITIALIZE), is reported as such.
std::uint64_t Player::set_serialization_quirks(std::uint64_t quirks) {
    constexpr std::uint64_t known = (RETRO_SERIALIZATION_QUIRK_PLATFORM_DEPENDENT << 1) - 1;
    const Lock held = lock();
    serialization_quirks_ = (quirks & known) | RETRO_SERIALIZATION_QUIRK_FRONT_VARIABLE_SIZE;
    return serialization_quirks_;
}

namespace environment {

bool set_serialization_quirks(Player &player, void *data) {
    if (data == nullptr) {
        return false;
    }
    auto *quirks = static_cast<std::uint64_t *>(data);
    *quirks = player.set_serialization_quirks(*quirks);
    return true;
}

// States are saved and loaded by scripts, to files and memory alike.
bool get_savestate_context(Player &, void *data) {
    return write_answer(data, static_cast<int>(RETRO_SAVESTATE_CONTEXT_NORMAL));
}

} // namespace environment
} // namespace tovarune
