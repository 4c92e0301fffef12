#include "content/native_path.h"
#include "core/core_library.h"
#include "player.h"

#include <filesystem>

namespace tovarune {

// The file the loader mapped, whichever way it was found, as the core may ask
// where it lies (to find files of its own beside it).
void Player::remember_core_file() {
    core_file_.clear();
    std::string file = core_module_ != nullptr ? library_file(core_module_) : "";
    // A module loaded by its extended Windows path is named by it; a core
    // works with the plain form.
    if (file.rfind("\\\\?\\UNC\\", 0) == 0) {
        file = "\\\\" + file.substr(8);
    } else if (file.rfind("\\\\?\\", 0) == 0) {
        file = file.substr(4);
    }
    const std::filesystem::path path = native_path(file);
    if (file.empty() || path.is_absolute()) {
        core_file_ = file;
        return;
    }
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(path, ec).u8string();
    core_file_ = ec || absolute.empty() ? file : absolute;
}

void Player::forget_core_requests() {
    stop_rumble();
    frame_callbacks_.forget();
    memory_maps_.clear();
    rotation_ = 0;
    shutdown_requested_ = false;
    serialization_quirks_ = 0;
    core_file_.clear();
    core_name_.clear();
    content_.forget();
    options_display_callback_ = nullptr;
    vfs_.close_all();
    disk_control_ = {};
    disk_paths_.clear();
}

} // namespace tovarune
