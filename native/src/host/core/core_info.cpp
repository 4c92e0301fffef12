#include "core/core_info.h"
#include "core/core_call.h"
#include "player.h"

namespace tovarune {

namespace {

std::string text_of(const char *text) {
    return text != nullptr ? std::string(text) : std::string();
}

CoreInfo core_info_of(const retro_system_info &system_info) {
    CoreInfo info;
    info.library_name = text_of(system_info.library_name);
    info.library_version = text_of(system_info.library_version);
    const std::string extensions = text_of(system_info.valid_extensions);
    std::size_t start = 0;
    while (start <= extensions.size()) {
        std::size_t end = extensions.find('|', start);
        if (end == std::string::npos) {
            end = extensions.size();
        }
        if (end > start) {
            info.valid_extensions.push_back(extensions.substr(start, end - start));
        }
        start = end + 1;
    }
    info.need_fullpath = system_info.need_fullpath;
    info.block_extract = system_info.block_extract;
    return info;
}

} // namespace

bool Player::core_info(CoreInfo &info) const {
    const Lock held = lock();
    if (!core_loaded_) {
        return false;
    }
    retro_system_info system_info{};
    call_core(core_api_.retro_get_system_info, &system_info);
    info = core_info_of(system_info);
    return true;
}

} // namespace tovarune
