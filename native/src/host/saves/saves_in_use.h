#pragma once

#include <string>

namespace tovarune {

// A battery save file that a living player's game uses. Claims are
// process-wide: no two players are given one file, however their paths name it.
class SaveFileClaim {
public:
    SaveFileClaim() = default;
    ~SaveFileClaim() { release(); }
    SaveFileClaim(const SaveFileClaim &) = delete;
    SaveFileClaim &operator=(const SaveFileClaim &) = delete;

    // Holds `path` instead of what it held, unless another claim holds that
    // file (false).
    bool claim(const std::string &path);
    void release();
    // The path claimed; empty when none is.
    const std::string &path() const { return path_; }

private:
    std::string path_;
    std::string identity_;
};

} // namespace tovarune
