#include "core/core_api.h"
#include "core/core_library.h"

#include <cstring>

namespace tovarune {

const char *bind_core_api(CoreApi &api, LibraryHandle library) {
    const char *missing = nullptr;
    for_each_entry_point(api, [&](auto &slot, const char *name) {
        if (missing != nullptr) {
            return;
        }
        void *symbol = find_symbol(library, name);
        if (symbol == nullptr) {
            missing = name;
            return;
        }
        // Object pointer to function pointer: the loaders hand out void *.
        static_assert(sizeof slot == sizeof symbol, "function and object pointers differ");
        std::memcpy(&slot, &symbol, sizeof slot);
    });
    return missing;
}

} // namespace tovarune
