#include "environment/environment_commands.h"
#include "player.h"

namespace tovarune::environment {

namespace {

// Every function of the interface up to this version is there.
constexpr std::uint32_t vfs_version = 3;

} // namespace

// The functions of the player's own callback slot, which reach its files from
// any thread. The answer is the newest version this frontend has, when it is
// at least the one the core requires.
bool get_vfs_interface(Player &player, void *data) {
    auto *info = static_cast<retro_vfs_interface_info *>(data);
    const CoreCallbacks *callbacks = player.callbacks();
    if (info == nullptr || callbacks == nullptr || info->required_interface_version > vfs_version) {
        return false;
    }
    info->required_interface_version = vfs_version;
    info->iface = callbacks->vfs;
    return true;
}

} // namespace tovarune::environment
