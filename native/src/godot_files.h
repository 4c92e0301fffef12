#pragma once

#include "host/content/engine_files.h"

namespace tovarune {

// The engine's side of a game's files, for the host: where res:// and user://
// paths lie, and the files inside an exported game's pack.
class GodotFiles final : public EngineFiles {
public:
    std::string globalize(const std::string &path) const override;
    std::string executable_directory() const override;
    ReadResult read_packed(const std::string &path, ByteBuffer &bytes) const override;
    std::vector<std::string> packed_files(const std::string &directory) const override;
};

} // namespace tovarune
