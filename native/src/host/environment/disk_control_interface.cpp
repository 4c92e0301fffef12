#include "environment/answer.h"
#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

namespace {

// The extended interface is there.
constexpr unsigned disk_control_version = 1;

} // namespace

// Both copy the core's functions; null data forgets them.

bool set_disk_control_interface(Player &player, void *data) {
    retro_disk_control_ext_callback callbacks{};
    if (const auto *core = static_cast<const retro_disk_control_callback *>(data)) {
        callbacks.set_eject_state = core->set_eject_state;
        callbacks.get_eject_state = core->get_eject_state;
        callbacks.get_image_index = core->get_image_index;
        callbacks.set_image_index = core->set_image_index;
        callbacks.get_num_images = core->get_num_images;
        callbacks.replace_image_index = core->replace_image_index;
        callbacks.add_image_index = core->add_image_index;
    }
    player.set_disk_control(callbacks);
    return true;
}

bool set_disk_control_ext_interface(Player &player, void *data) {
    const auto *core = static_cast<const retro_disk_control_ext_callback *>(data);
    player.set_disk_control(core != nullptr ? *core : retro_disk_control_ext_callback{});
    return true;
}

bool get_disk_control_interface_version(Player &, void *data) {
    return write_answer(data, disk_control_version);
}

} // namespace tovarune::environment
