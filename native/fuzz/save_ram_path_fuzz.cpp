// The .srm path derivation from arbitrary save directories and game paths,
// in both path styles.
#include "fuzz_support.h"
#include "save_ram_path.h"

using namespace tovarune;
using namespace tovarune::fuzz;

namespace {

bool is_separator(char c, PathStyle style) {
    return c == '/' || (style == PathStyle::windows && c == '\\');
}

void check(const std::string &dir, const std::string &rom, PathStyle style) {
    const std::string path = save_ram_path(dir, rom, style);
    require(path.empty() == (dir.empty() || rom.empty()));
    if (path.empty()) {
        return;
    }
    const std::string suffix = ".srm";
    require(path.size() >= dir.size() + suffix.size());
    require(path.compare(0, dir.size(), dir) == 0);
    require(path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0);

    // One separator joins the two, unless the directory already ends in one
    // (or, on Windows, is a drive alone such as "C:").
    const bool drive_alone = style == PathStyle::windows && dir.size() == 2 && dir[1] == ':' &&
                             ((dir[0] >= 'A' && dir[0] <= 'Z') || (dir[0] >= 'a' && dir[0] <= 'z'));
    std::string name = path.substr(dir.size());
    if (!is_separator(dir.back(), style) && !drive_alone) {
        require(name[0] == (style == PathStyle::windows ? '\\' : '/'));
        name.erase(0, 1);
    }
    // The name is the game file's stem: a piece of the game path with no
    // separator (and on Windows no stream colon) in it.
    const std::string stem = name.substr(0, name.size() - suffix.size());
    for (char c : stem) {
        require(!is_separator(c, style) && (style == PathStyle::posix || c != ':'));
    }
    require(rom.find(stem) != std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in(data, size);
    const std::string dir = in.text();
    const std::string rom = in.text();
    check(dir, rom, PathStyle::windows);
    check(dir, rom, PathStyle::posix);
    return 0;
}
