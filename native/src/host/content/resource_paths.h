#pragma once

#include "content/engine_files.h"

#include <string>

namespace tovarune {

// res:// or user://: named by the engine, never a path of the system's own.
bool is_resource_path(const std::string &path);

// Where a file that a script names lies.
struct Location {
    std::string path; // on disk; the script's own path when packed
    bool packed;      // inside an exported game's pack, where only the engine reads
};

// A path on disk as it is; a resource path where the engine puts it (the
// project folder in the editor, the user data directory, or the pack).
// Without an engine a resource path is found nowhere: it stays as given, and
// no file operation takes it.
Location locate(const EngineFiles *engine, const std::string &path);

// A core library: a packed one was shipped beside the executable, in the
// folders it had under res://.
std::string core_location(const EngineFiles *engine, const std::string &path);

} // namespace tovarune
