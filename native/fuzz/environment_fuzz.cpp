// The environment callback with any command number and data: storage large
// enough for any answer, a variable record or a declaration as the command
// reads them, or null.
#include "callbacks.h"
#include "fuzz_support.h"
#include "player.h"

#include <array>

using namespace tovarune;
using namespace tovarune::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in{data, size};
    Player player;
    active_player = &player;
    Declaration declaration(in);
    while (in.size != 0) {
        const unsigned command = in.number();
        const std::uint8_t mode = in.byte();
        if (mode % 16 == 15) {
            active_player = active_player != nullptr ? nullptr : &player;
        }
        alignas(std::max_align_t) std::array<std::uint8_t, 64> buffer;
        buffer.fill(in.byte());
        const unsigned head = in.number(); // e.g. a pixel format
        std::memcpy(buffer.data(), &head, sizeof head);
        const std::array<std::uint8_t, 64> before = buffer;
        const std::string key = in.text();
        retro_variable variable{mode % 2 ? key.c_str() : nullptr, nullptr};
        const unsigned base = command & ~static_cast<unsigned>(RETRO_ENVIRONMENT_EXPERIMENTAL);
        if (base == RETRO_ENVIRONMENT_SET_VARIABLES) {
            declaration = Declaration(in);
        }
        void *argument = base == RETRO_ENVIRONMENT_SET_VARIABLES  ? declaration.entries.data()
                         : base == RETRO_ENVIRONMENT_GET_VARIABLE ? &variable
                                                                  : buffer.data();
        const bool result = environment_callback(command, mode % 4 == 0 ? nullptr : argument);
        // A refusal leaves the caller's storage alone.
        require(result || buffer == before);
        require(active_player != nullptr || !result);
        require(player.pixel_format() <= RETRO_PIXEL_FORMAT_RGB565);
        check_options(player.options(), declaration);
    }
    active_player = nullptr;
    return 0;
}
