#include "core/callback_slots.h"
#include "player.h"
#include "saves/save_ram_path.h"

namespace tovarune {

void Player::set_save_name(const std::string &name) {
    const Lock held = lock();
    save_name_ = name;
}

std::string Player::save_name() const {
    const Lock held = lock();
    return game_loaded_ ? save_name_in_use_ : save_name_;
}

// The one place that names a game's saves. At most one other living game per
// callback slot holds a file, so one of the names tried is free.
void Player::claim_save_file() {
    // A game started without content saves under the core's name.
    const std::string name = !save_name_.empty() ? save_name_
                             : rom_path_.empty() ? core_name_
                                                 : game_save_name(rom_path_);
    save_name_in_use_ = name;
    battery_save_.release();
    if (save_path_->empty() || name.empty()) {
        return;
    }
    for (std::size_t number = 1; number <= callback_slot_count + 1; ++number) {
        const std::string candidate =
            number == 1 ? name : name + " (" + std::to_string(number) + ")";
        if (battery_save_.claim(save_file_path(*save_path_, candidate, ".srm"))) {
            save_name_in_use_ = candidate;
            if (number > 1) {
                log_core_line(RETRO_LOG_INFO, ("O save " + name +
                                               " ja e de outro player; este "
                                               "jogo salva como " +
                                               candidate + ".")
                                                  .c_str());
            }
            return;
        }
    }
}

} // namespace tovarune
