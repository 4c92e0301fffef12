#include "callbacks.h"
#include "player.h"

namespace tovarune {

namespace {

bool answer_directory(const char *directory, void *data) {
    if (data == nullptr) {
        return false;
    }
    *static_cast<const char **>(data) = directory;
    return true;
}

bool get_variable(const OptionsStore &options, void *data) {
    auto *variable = static_cast<retro_variable *>(data);
    if (variable == nullptr || variable->key == nullptr) {
        return false;
    }
    const std::string *value = options.value(variable->key);
    variable->value = value != nullptr ? value->c_str() : nullptr;
    return value != nullptr;
}

template <typename T> bool write_answer(void *data, T value) {
    if (data == nullptr) {
        return false;
    }
    *static_cast<T *>(data) = value;
    return true;
}

} // namespace

bool Player::set_pixel_format(unsigned format) {
    if (format > RETRO_PIXEL_FORMAT_RGB565) {
        return false;
    }
    pixel_format_ = format;
    return true;
}

bool environment_callback(Player &player, unsigned command, void *data) {
    switch (command & ~static_cast<unsigned>(RETRO_ENVIRONMENT_EXPERIMENTAL)) {
    case RETRO_ENVIRONMENT_GET_CAN_DUPE:
        return write_answer(data, true);
    case RETRO_ENVIRONMENT_SET_PERFORMANCE_LEVEL:
    case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS:
    case RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME:
    case RETRO_ENVIRONMENT_SET_CONTROLLER_INFO:
        return true;
    case RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY:
    case RETRO_ENVIRONMENT_GET_CORE_ASSETS_DIRECTORY:
        return answer_directory(player.system_directory(), data);
    case RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY:
        return answer_directory(player.save_directory(), data);
    case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
        return data != nullptr && player.set_pixel_format(*static_cast<const unsigned *>(data));
    case RETRO_ENVIRONMENT_GET_VARIABLE:
        return get_variable(player.options(), data);
    case RETRO_ENVIRONMENT_SET_VARIABLES:
        player.options().declare(static_cast<const retro_variable *>(data));
        return true;
    case RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE:
        if (data == nullptr) {
            return false;
        }
        *static_cast<bool *>(data) = player.options().take_updated();
        return true;
    case RETRO_ENVIRONMENT_GET_LANGUAGE:
        return write_answer(data, static_cast<unsigned>(RETRO_LANGUAGE_ENGLISH));
    default:
        return false;
    }
}

} // namespace tovarune
