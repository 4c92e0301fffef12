#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune {

bool Player::set_pixel_format(unsigned format) {
    if (format > RETRO_PIXEL_FORMAT_RGB565) {
        return false;
    }
    pixel_format_ = format;
    return true;
}

bool environment::set_pixel_format(Player &player, void *data) {
    return data != nullptr && player.set_pixel_format(*static_cast<const unsigned *>(data));
}

} // namespace tovarune
