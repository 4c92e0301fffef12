#pragma once

#include <string>

namespace tovarune {

// Private copies of core libraries, for players whose core file another player
// already runs: each copy is a file of its own, so the loader maps it as a new
// module with its own globals. They live under a directory of this user's in
// the temporary directory, named after the process that made them.

// Copies `file` there under the next free name and returns the copy's path;
// empty when it cannot, with the cause, for the user, in `failure`. Copies
// that ended processes left behind go first.
std::string make_core_copy(const std::string &file, std::string &failure);

// Removes a copy. On Windows a copy that is still loaded cannot go yet; the
// next copy made after its process ended removes it.
void remove_core_copy(const std::string &copy);

} // namespace tovarune
