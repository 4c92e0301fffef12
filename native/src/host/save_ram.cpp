#include "core_call.h"
#include "file_io.h"
#include "player.h"
#include "save_ram_path.h"

namespace tovarune {

namespace {

struct SaveRam {
    void *data = nullptr;
    std::size_t size = 0;
};

SaveRam core_save_ram(const CoreApi &api) {
    SaveRam ram;
    if (api.retro_get_memory_data == nullptr || api.retro_get_memory_size == nullptr) {
        return ram;
    }
    // Both are asked before either answer is looked at.
    ram.data = call_core(api.retro_get_memory_data, RETRO_MEMORY_SAVE_RAM);
    ram.size = call_core(api.retro_get_memory_size, RETRO_MEMORY_SAVE_RAM);
    return ram;
}

} // namespace

void Player::load_save_ram() {
    unreadable_save_ram_path_.clear();
    const SaveRam ram = core_save_ram(core_api_);
    if (ram.data == nullptr || ram.size == 0) {
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
    const SaveRam ram = core_save_ram(core_api_);
    if (ram.data == nullptr || ram.size == 0) {
        return;
    }
    const std::string path = save_ram_path(*save_path_, rom_path_);
    if (path.empty() || path == unreadable_save_ram_path_) {
        return;
    }
    write_file_atomically(path, ram.data, ram.size);
}

} // namespace tovarune
