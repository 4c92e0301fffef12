#pragma once

#include "environment/options_store.h"

#include <libretro.h>

#include <vector>

namespace tovarune {

// Reads the option declarations of the later generations into copies the
// store keeps: the core's tables may be gone once the command returns.
// `local` (null when the core has no translation) gives the texts of the keys
// it names; values and defaults always come from `us`.
std::vector<DeclaredOption> read_option_definitions(const retro_core_option_definition *us,
                                                    const retro_core_option_definition *local);
void read_options_v2(const retro_core_options_v2 *us, const retro_core_options_v2 *local,
                     std::vector<DeclaredOption> &options,
                     std::vector<CoreOptionCategory> &categories);

} // namespace tovarune
