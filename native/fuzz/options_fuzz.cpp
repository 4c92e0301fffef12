// Option declarations from a core, then lookups and changes from a script,
// with the store's invariants checked after every step.
#include "core/callbacks.h"
#include "fuzz_support.h"
#include "player.h"

#include <algorithm>

using namespace tovarune;
using namespace tovarune::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in{data, size};
    Player player;
    OptionsStore &options = player.options();
    Declaration declaration(in);
    require(
        environment_callback(player, RETRO_ENVIRONMENT_SET_VARIABLES, declaration.entries.data()));
    while (in.size != 0) {
        const std::string key = in.text(), value = in.text();
        const std::vector<std::string> *choices = options.choices(key);
        const bool allowed = choices && std::count(choices->begin(), choices->end(), value) > 0;
        require(options.set(key, value) == allowed);
        retro_variable variable{key.c_str(), "stale"};
        const bool found = environment_callback(player, RETRO_ENVIRONMENT_GET_VARIABLE, &variable);
        require(found == (choices != nullptr) && (!allowed || variable.value == value));
        // Keys in byte order, each with its value among its choices.
        const std::vector<std::string> keys = options.sorted_keys();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::vector<std::string> &listed = *options.choices(keys[i]);
            require(i == 0 || keys[i - 1] < keys[i]);
            require(std::count(listed.begin(), listed.end(), *options.value(keys[i])) > 0);
        }
    }
    return 0;
}
