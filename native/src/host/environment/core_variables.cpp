#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

bool get_variable(Player &player, void *data) {
    auto *variable = static_cast<retro_variable *>(data);
    if (variable == nullptr || variable->key == nullptr) {
        return false;
    }
    const std::string *value = player.options().value(variable->key);
    variable->value = value != nullptr ? value->c_str() : nullptr;
    return value != nullptr;
}

bool set_variables(Player &player, void *data) {
    player.options().declare(static_cast<const retro_variable *>(data));
    player.tell_options_changed();
    return true;
}

bool get_variable_update(Player &player, void *data) {
    // Taken only when it can be told.
    return data != nullptr && write_answer(data, player.options().take_updated());
}

} // namespace tovarune::environment
