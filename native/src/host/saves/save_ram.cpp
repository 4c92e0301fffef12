#include "content/file_io.h"
#include "player.h"
#include "saves/memory_access.h"
#include "saves/save_ram_path.h"

namespace tovarune {

void Player::load_save_ram() {
    unreadable_save_ram_path_.clear();
    const MemoryView ram = core_memory(RETRO_MEMORY_SAVE_RAM);
    if (ram.data == nullptr) {
        return;
    }
    const std::string path = save_ram_path(*save_path_, rom_path_);
    if (path.empty()) {
        return;
    }
    const ReadResult read = read_file_into(path, ram.data, ram.size);
    if (read == ReadResult::open_failed || read == ReadResult::read_failed) {
        unreadable_save_ram_path_ = path;
    }
}

void Player::store_save_ram() {
    const MemoryView ram = core_memory(RETRO_MEMORY_SAVE_RAM);
    if (ram.data == nullptr) {
        return;
    }
    const std::string path = save_ram_path(*save_path_, rom_path_);
    if (path.empty() || path == unreadable_save_ram_path_) {
        return;
    }
    write_file_atomically(path, ram.data, ram.size);
}

} // namespace tovarune
