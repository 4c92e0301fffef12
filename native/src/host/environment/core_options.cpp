#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "environment/option_declarations.h"
#include "player.h"

namespace tovarune {

bool Player::set_core_option(const std::string &key, const std::string &value) {
    const Lock held = lock();
    if (!options_.set(key, value)) {
        return false;
    }
    // The core may show or hide other options now, through
    // SET_CORE_OPTIONS_DISPLAY, which tells of what changed.
    if (options_display_callback_ != nullptr) {
        call_core(options_display_callback_);
    }
    return true;
}

void Player::tell_options_changed() {
    if (events_ != nullptr) {
        events_->core_options_changed();
    }
}

namespace environment {

namespace {

constexpr unsigned core_options_version = 2;

bool declare(Player &player, std::vector<DeclaredOption> options,
             std::vector<CoreOptionCategory> categories = {}) {
    player.options().declare(std::move(options), std::move(categories));
    player.tell_options_changed();
    return true;
}

bool declare_v2(Player &player, const retro_core_options_v2 *us,
                const retro_core_options_v2 *local) {
    std::vector<DeclaredOption> options;
    std::vector<CoreOptionCategory> categories;
    read_options_v2(us, local, options, categories);
    // True: this frontend shows categories.
    return declare(player, std::move(options), std::move(categories));
}

} // namespace

bool get_core_options_version(Player &, void *data) {
    return write_answer(data, core_options_version);
}

bool set_core_options(Player &player, void *data) {
    return data != nullptr &&
           declare(player, read_option_definitions(
                               static_cast<const retro_core_option_definition *>(data), nullptr));
}

bool set_core_options_intl(Player &player, void *data) {
    const auto *intl = static_cast<const retro_core_options_intl *>(data);
    return intl != nullptr && declare(player, read_option_definitions(intl->us, intl->local));
}

bool set_core_options_v2(Player &player, void *data) {
    return data != nullptr &&
           declare_v2(player, static_cast<const retro_core_options_v2 *>(data), nullptr);
}

bool set_core_options_v2_intl(Player &player, void *data) {
    const auto *intl = static_cast<const retro_core_options_v2_intl *>(data);
    return intl != nullptr && declare_v2(player, intl->us, intl->local);
}

bool set_core_options_display(Player &player, void *data) {
    const auto *display = static_cast<const retro_core_option_display *>(data);
    if (display == nullptr || display->key == nullptr) {
        return false;
    }
    if (player.options().set_visible(display->key, display->visible)) {
        player.tell_options_changed();
    }
    return true;
}

bool set_core_options_update_display_callback(Player &player, void *data) {
    const auto *update = static_cast<const retro_core_options_update_display_callback *>(data);
    player.set_options_display_callback(update != nullptr ? update->callback : nullptr);
    return true;
}

} // namespace environment
} // namespace tovarune
