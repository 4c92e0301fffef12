// The environment callback with any command and data: storage large enough
// for any answer, or the record the command reads, or null.
#include "core/callbacks.h"
#include "fuzz_support.h"
#include "player.h"

#include <array>

using namespace tovarune;
using namespace tovarune::fuzz;

// The lists the input commands read, from the declaration's texts, each ending
// as libretro.h says; `fill` gives the numbers.
struct InputLists {
    InputLists(const Declaration &declaration, std::uint8_t fill) {
        for (const retro_variable &entry : declaration.entries) {
            descriptors.push_back({fill, fill, fill, fill, entry.value});
            types.push_back({entry.value, fill});
        }
        ports = {{types.data(), unsigned(fill % (types.size() + 1))}, {}};
    }
    std::vector<retro_input_descriptor> descriptors;
    std::vector<retro_controller_description> types;
    std::vector<retro_controller_info> ports;
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in{data, size};
    Player player;
    Declaration declaration(in);
    while (in.size != 0) {
        const unsigned command = in.byte() | (in.byte() & 1u) << 16; // with the experimental bit
        const std::uint8_t fill = in.byte();
        alignas(std::max_align_t) std::array<std::uint8_t, 64> buffer;
        buffer.fill(fill);
        const std::array<std::uint8_t, 64> before = buffer;
        const std::string key = in.text();
        retro_variable variable{key.c_str(), nullptr};
        InputLists lists(declaration, fill);
        void *argument = buffer.data();
        if (command % 0x10000 == RETRO_ENVIRONMENT_SET_VARIABLES) {
            argument = declaration.entries.data();
        } else if (command % 0x10000 == RETRO_ENVIRONMENT_GET_VARIABLE) {
            argument = &variable;
        } else if (command % 0x10000 == RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS) {
            argument = lists.descriptors.data();
        } else if (command % 0x10000 == RETRO_ENVIRONMENT_SET_CONTROLLER_INFO) {
            argument = lists.ports.data();
        }
        // A refusal leaves the caller's storage alone.
        const bool answered =
            environment_callback(player, command, fill % 4 == 0 ? nullptr : argument);
        require((answered || buffer == before) &&
                player.pixel_format() <= RETRO_PIXEL_FORMAT_RGB565);
    }
    return 0;
}
