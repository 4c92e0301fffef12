// The environment callback with arbitrary command numbers and data. Data
// points at storage large enough for any answer, or at a valid variable
// record for the option commands, or is null.
#include "callbacks.h"
#include "fuzz_support.h"
#include "player.h"

#include <array>

using namespace tovarune;
using namespace tovarune::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in(data, size);
    Player player;
    active_player = &player;
    std::vector<std::string> probes;

    while (!in.empty()) {
        const auto command = in.number<unsigned>();
        const std::uint8_t mode = in.byte();
        if (mode % 16 == 15) {
            active_player = active_player != nullptr ? nullptr : &player;
        }
        alignas(std::max_align_t) std::array<std::uint8_t, 64> buffer;
        buffer.fill(in.byte());
        const auto head = in.number<unsigned>(); // e.g. a pixel format
        std::memcpy(buffer.data(), &head, sizeof head);
        const std::array<std::uint8_t, 64> before = buffer;

        const unsigned base = command & ~static_cast<unsigned>(RETRO_ENVIRONMENT_EXPERIMENTAL);
        bool result = false;
        if (base == RETRO_ENVIRONMENT_SET_VARIABLES) {
            Declaration declaration(in);
            probes.insert(probes.end(), declaration.keys().begin(), declaration.keys().end());
            result = environment_callback(command, mode % 2 ? declaration.data() : nullptr);
        } else if (base == RETRO_ENVIRONMENT_GET_VARIABLE) {
            const std::string key = in.text();
            retro_variable variable{mode % 2 ? key.c_str() : nullptr, nullptr};
            result = environment_callback(command, mode % 4 < 2 ? &variable : nullptr);
        } else {
            result = environment_callback(command, mode % 4 == 0 ? nullptr : buffer.data());
            // A refusal leaves the caller's storage alone.
            require(result || buffer == before);
        }
        require(active_player != nullptr || !result);
        require(player.pixel_format() <= RETRO_PIXEL_FORMAT_RGB565);
        check_options(player.options(), probes);
    }
    active_player = nullptr;
    return 0;
}
