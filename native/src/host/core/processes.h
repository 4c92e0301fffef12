#pragma once

#include <cstdint>

namespace tovarune {

// Files that one process makes for itself (temporary save files, core copies)
// carry its id, so that whatever a crashed process left can be told apart
// from what a living one still uses.
std::uint32_t current_process_id();

// True only when no process of that id runs any more.
bool process_has_ended(std::uint32_t id);

} // namespace tovarune
