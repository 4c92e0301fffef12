// Option declarations, lookups and changes through the environment callback,
// with the store's invariants checked after every step.
#include "callbacks.h"
#include "fuzz_support.h"
#include "player.h"

#include <algorithm>

using namespace tovarune;
using namespace tovarune::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in{data, size};
    Player player;
    active_player = &player;
    const OptionsStore &options = player.options();
    Declaration declaration(in);
    bool updated = false;
    while (in.size != 0) {
        const std::uint8_t step = in.byte() % 4;
        const std::string key = in.text();
        if (step == 0) {
            declaration = Declaration(in);
            require(
                environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES, declaration.entries.data()));
            updated = false;
        } else if (step == 1) {
            retro_variable variable{key.c_str(), "stale"};
            const bool found = environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &variable);
            const std::string *value = options.value(key);
            require(found == (value != nullptr) &&
                    variable.value == (found ? value->c_str() : nullptr));
        } else if (step == 2) {
            const std::string value = in.text();
            const std::vector<std::string> *choices = options.choices(key);
            const bool allowed = choices != nullptr && std::find(choices->begin(), choices->end(),
                                                                 value) != choices->end();
            require(player.options().set(key, value) == allowed);
            require(!allowed || *options.value(key) == value);
            updated = updated || allowed;
        } else {
            bool answer = !updated;
            require(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &answer));
            require(answer == updated);
            updated = false;
        }
        require(options.updated() == updated);
        check_options(options, declaration);
    }
    active_player = nullptr;
    return 0;
}
