// Option declarations, lookups and changes through the environment callback,
// with the store's invariants checked after every step.
#include "callbacks.h"
#include "fuzz_support.h"
#include "player.h"

#include <algorithm>

using namespace tovarune;
using namespace tovarune::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in(data, size);
    Player player;
    active_player = &player;
    const OptionsStore &options = player.options();
    std::vector<std::string> probes;
    bool updated = false;
    // A value text handed to the core: readable until its key changes or the
    // store is declared again.
    std::string held_key;
    const char *held = nullptr;

    while (!in.empty()) {
        switch (in.byte() % 5) {
        case 0:
        case 1: {
            Declaration declaration(in);
            const bool null_data = in.byte() % 8 == 0;
            require(environment_callback(RETRO_ENVIRONMENT_SET_VARIABLES,
                                         null_data ? nullptr : declaration.data()));
            probes.insert(probes.end(), declaration.keys().begin(), declaration.keys().end());
            require(!null_data || options.size() == 0);
            for (const std::string &key : options.sorted_keys()) {
                require(*options.value(key) == options.choices(key)->front());
            }
            updated = false;
            held = nullptr;
            break;
        }
        case 2: {
            const std::string key = in.text();
            retro_variable variable{key.c_str(), "stale"};
            const bool found = environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE, &variable);
            const std::string *value = options.value(key);
            require(found == (value != nullptr));
            require(variable.value == (found ? value->c_str() : nullptr));
            if (found) {
                held_key = key;
                held = variable.value;
            }
            break;
        }
        case 3: {
            const std::string key = in.text();
            const std::string value = in.text();
            const std::vector<std::string> *choices = options.choices(key);
            const bool allowed = choices != nullptr && std::find(choices->begin(), choices->end(),
                                                                 value) != choices->end();
            require(player.options().set(key, value) == allowed);
            if (allowed) {
                require(*options.value(key) == value);
                updated = true;
                held = key == held_key ? nullptr : held;
            }
            break;
        }
        case 4: {
            bool answer = !updated;
            require(environment_callback(RETRO_ENVIRONMENT_GET_VARIABLE_UPDATE, &answer));
            require(answer == updated);
            updated = false;
            break;
        }
        }
        require(options.updated() == updated);
        check_options(options, probes);
        require(held == nullptr || std::strcmp(held, options.value(held_key)->c_str()) == 0);
    }
    active_player = nullptr;
    return 0;
}
