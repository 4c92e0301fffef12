#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tovarune {

// Files that one process makes for itself (temporary save files, core copies)
// carry its id, so that whatever a crashed process left can be told apart
// from what a living one still uses.
std::uint32_t current_process_id();

// True only when no process of that id runs any more.
bool process_has_ended(std::uint32_t id);

// Ids come back: a process may find files carrying its own id that an ended
// process of the same id left (under Wine a fresh session gets the same few
// ids again). So this process claims each name it makes while it makes or
// uses the file; a name of its id that nobody claims is a leftover.

// False when the name is claimed already: it is someone else's here.
bool claim_own_name(const std::string &name);
void release_own_name(const std::string &name);

// Calls `remove` for the file `name`, made by the process `id`, when it is a
// leftover: that process has ended, or the id is ours and nobody here claims
// the name (which stays unclaimable until `remove` returns).
void remove_if_left_over(std::uint32_t id, const std::string &name,
                         const std::function<void()> &remove);

} // namespace tovarune
