#pragma once

#include <libretro.h>

#include <string>
#include <vector>

namespace tovarune {

// What a core says of itself in retro_get_system_info, its texts copied byte
// for byte (a null text is empty).
struct CoreInfo {
    std::string library_name;
    std::string library_version;
    // The extension list split at '|', empty pieces dropped.
    std::vector<std::string> valid_extensions;
    bool need_fullpath = false;
    bool block_extract = false;
};

} // namespace tovarune
