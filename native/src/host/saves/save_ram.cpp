#include "content/file_io.h"
#include "content/resource_paths.h"
#include "player.h"
#include "saves/memory_access.h"

namespace tovarune {

void Player::load_save_ram() {
    unreadable_save_ram_path_.clear();
    const MemoryView ram = core_memory(RETRO_MEMORY_SAVE_RAM);
    const std::string &path = battery_save_.path();
    if (ram.data == nullptr || path.empty()) {
        return;
    }
    const ReadResult read = read_file_into(path, ram.data, ram.size);
    if (read == ReadResult::open_failed || read == ReadResult::read_failed) {
        unreadable_save_ram_path_ = path;
    }
}

// A save that is not written is lost when the game goes: last_error() and the
// log say so, whoever unloads.
void Player::store_save_ram() {
    const MemoryView ram = core_memory(RETRO_MEMORY_SAVE_RAM);
    const std::string &path = battery_save_.path();
    if (ram.data == nullptr || path.empty()) {
        return;
    }
    const bool kept = path == unreadable_save_ram_path_;
    if (!kept && write_file_atomically(path, ram.data, ram.size)) {
        return;
    }
    last_error_ = "Nao foi possivel gravar o save da bateria: " + path;
    const char *cause = kept ? " (o arquivo, ilegivel ao carregar o jogo, foi mantido)"
                        : is_resource_path(path)
                            ? " (a pasta fica no pacote do jogo, que e so de leitura: use user://)"
                            : " (a pasta esta cheia ou sem permissao de escrita)";
    log_core_line(RETRO_LOG_ERROR, (last_error_ + cause).c_str());
}

} // namespace tovarune
