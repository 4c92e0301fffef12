// The save file path from any save directory and game path, in both styles:
// the directory, at most one separator, and a piece of the game path with no
// separator (nor, on Windows, a colon) in it.
#include "fuzz_support.h"
#include "saves/save_ram_path.h"

using namespace tovarune;
using namespace tovarune::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in{data, size};
    const std::string dir = in.text(), rom = in.text();
    for (const PathStyle style : {PathStyle::windows, PathStyle::posix}) {
        const std::string path = save_ram_path(dir, rom, style);
        const char *separators = style == PathStyle::windows ? "/\\" : "/";
        require(path.empty() == (dir.empty() || rom.empty()));
        if (!path.empty()) {
            require(path.compare(0, dir.size(), dir) == 0 && path.size() >= dir.size() + 4 &&
                    path.compare(path.size() - 4, 4, ".srm") == 0);
            std::string stem = path.substr(dir.size(), path.size() - dir.size() - 4);
            if (!stem.empty() && std::strchr(separators, stem[0]) != nullptr) {
                stem.erase(0, 1);
            }
            require(stem.find_first_of(style == PathStyle::windows ? "/\\:" : "/") ==
                    std::string::npos);
            require(rom.find(stem) != std::string::npos);
        }
    }
    return 0;
}
