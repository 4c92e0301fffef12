#include "content/native_path.h"
#include "core/core_library.h"
#include "player.h"

#include <filesystem>

namespace tovarune {

// The file the loader mapped, whichever way it was found, as the core may ask
// where it lies (to find files of its own beside it).
void Player::remember_core_file() {
    core_file_.clear();
    const std::string file = core_module_ != nullptr ? library_file(core_module_) : "";
    if (file.empty()) {
        return;
    }
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(native_path(file), ec);
    const std::string text = absolute.u8string();
    core_file_ = ec || text.empty() ? file : text;
}

void Player::forget_core_requests() {
    stop_rumble();
    frame_callbacks_.forget();
    memory_maps_.clear();
    rotation_ = 0;
    shutdown_requested_ = false;
    serialization_quirks_ = 0;
    core_file_.clear();
}

} // namespace tovarune
