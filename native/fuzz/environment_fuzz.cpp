// The environment callback with any command and data: storage large enough
// for any answer, or the record the command reads, or null. A memory map is
// built from the input too, each descriptor with memory of exactly its length,
// and read and written at addresses from the input.
#include "core/callbacks.h"
#include "fuzz_support.h"
#include "player.h"

#include <algorithm>
#include <array>

using namespace tovarune;
using namespace tovarune::fuzz;

namespace {

std::uint64_t word(FuzzInput &in) {
    std::uint64_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = value << 8 | in.byte();
    }
    return in.byte() % 2 != 0 ? ~value : value; // high bits too, as disconnect masks have
}

constexpr unsigned set_memory_maps = RETRO_ENVIRONMENT_SET_MEMORY_MAPS % 0x10000;

// Descriptors whose memory is what they say, or none; built for the command
// that takes them.
struct Map {
    Map(FuzzInput &in, bool built) {
        for (std::uint8_t count = built ? in.byte() % 8 : 0; count != 0 && in.size != 0; --count) {
            retro_memory_descriptor d{in.byte() % 2u, nullptr, in.byte() % 16u, word(in), word(in),
                                      word(in),       0,       nullptr};
            const std::uint8_t length = in.byte();
            if (length < 128) {
                d.len = length + 1u;
                const auto bytes =
                    reinterpret_cast<std::uintptr_t>(chips.emplace_back(d.len).data());
                d.ptr = reinterpret_cast<void *>(bytes - d.offset);
            } else {
                d.len = length == 255 ? 0 : word(in); // unbounded, or anything: no memory
            }
            d.addrspace = length % 3 == 0 ? "S" : nullptr;
            descriptors.push_back(d);
        }
        map = {descriptors.data(), static_cast<unsigned>(descriptors.size())};
    }
    std::deque<std::vector<std::uint8_t>> chips;
    std::vector<retro_memory_descriptor> descriptors;
    retro_memory_map map;
};

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

// The option declarations of the later generations, from the same texts; the
// declaration's last entry ends each list.
struct OptionLists {
    OptionLists(const Declaration &declaration, std::uint8_t fill) {
        for (const retro_variable &e : declaration.entries) {
            const char *sometimes = fill % 2 != 0 ? e.value : nullptr;
            v1.push_back({e.key, e.value, sometimes, {{e.value, sometimes}, {}}, sometimes});
            v2.push_back({e.key,
                          e.value,
                          sometimes,
                          e.value,
                          nullptr,
                          fill % 3 != 0 ? e.key : nullptr,
                          {{e.value, sometimes}, {e.key, nullptr}, {}},
                          e.key});
            categories.push_back({e.key, sometimes, e.value});
        }
        intl = {v1.data(), fill % 2 != 0 ? v1.data() + (v1.size() > 1) : nullptr};
        options = {fill % 5 != 0 ? categories.data() : nullptr, v2.data()};
        options_intl = {&options, fill % 2 != 0 ? &options : nullptr};
    }
    std::vector<retro_core_option_definition> v1;
    std::vector<retro_core_option_v2_definition> v2;
    std::vector<retro_core_option_v2_category> categories;
    retro_core_options_intl intl;
    retro_core_options_v2 options;
    retro_core_options_v2_intl options_intl;
};

// Every current value is one of its key's values, and each has a label.
bool options_hold(const OptionsStore &store) {
    for (const std::string &key : store.sorted_keys()) {
        const std::vector<std::string> &values = *store.choices(key);
        if (std::find(values.begin(), values.end(), *store.value(key)) == values.end() ||
            store.details(key)->value_labels.size() != values.size()) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput in{data, size};
    Player player;
    Declaration declaration(in);
    while (in.size != 0) {
        const unsigned command = in.byte() | (in.byte() & 1u) << 16; // with the experimental bit
        const std::uint8_t fill = in.byte();
        alignas(std::max_align_t) std::array<std::uint8_t, 128> buffer;
        buffer.fill(fill);
        const std::array<std::uint8_t, 128> before = buffer;
        const std::string key = in.text();
        retro_variable variable{key.c_str(), nullptr};
        InputLists lists(declaration, fill);
        OptionLists options(declaration, fill);
        const retro_core_option_display display{key.c_str(), fill % 2 != 0};
        const retro_message message{key.c_str(), fill};
        const retro_message_ext message_ext{key.c_str(),
                                            fill,
                                            0,
                                            retro_log_level(fill % 5),
                                            retro_message_target(fill % 4),
                                            RETRO_MESSAGE_TYPE_NOTIFICATION,
                                            0};
        const retro_system_content_info_override overrides[] = {
            {key.c_str(), (fill & 1) != 0, (fill & 2) != 0}, {}};
        void *argument = buffer.data();
        const Map map(in, command % 0x10000 == set_memory_maps);
        switch (command % 0x10000) {
        case RETRO_ENVIRONMENT_SET_VARIABLES:
            argument = declaration.entries.data();
            break;
        case RETRO_ENVIRONMENT_GET_VARIABLE:
            argument = &variable;
            break;
        case RETRO_ENVIRONMENT_SET_MESSAGE:
            argument = (void *)&message;
            break;
        case RETRO_ENVIRONMENT_SET_MESSAGE_EXT:
            argument = (void *)&message_ext;
            break;
        case set_memory_maps:
            argument = (void *)&map.map;
            break;
        case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS:
            argument = lists.descriptors.data();
            break;
        case RETRO_ENVIRONMENT_SET_CONTROLLER_INFO:
            argument = lists.ports.data();
            break;
        case RETRO_ENVIRONMENT_SET_CONTENT_INFO_OVERRIDE:
            argument = (void *)overrides;
            break;
        case RETRO_ENVIRONMENT_SET_CORE_OPTIONS:
            argument = options.v1.data();
            break;
        case RETRO_ENVIRONMENT_SET_CORE_OPTIONS_INTL:
            argument = &options.intl;
            break;
        case RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2:
            argument = &options.options;
            break;
        case RETRO_ENVIRONMENT_SET_CORE_OPTIONS_V2_INTL:
            argument = &options.options_intl;
            break;
        case RETRO_ENVIRONMENT_SET_CORE_OPTIONS_DISPLAY:
            argument = (void *)&display;
            break;
        }
        // A refusal leaves the caller's storage alone.
        const bool answered =
            environment_callback(player, command, fill % 4 == 0 ? nullptr : argument);
        require((answered || buffer == before) &&
                player.pixel_format() <= RETRO_PIXEL_FORMAT_RGB565 && player.rotation() < 4 &&
                options_hold(player.options()));
        if (command % 0x10000 != set_memory_maps) {
            continue;
        }
        // The map reaches no byte outside the memory its descriptors have.
        MemoryMaps &maps = player.memory_maps();
        for (std::uint8_t reads = in.byte() % 4; reads != 0; --reads) {
            const std::uint64_t address = word(in);
            std::uint8_t bytes[32];
            const std::size_t count = in.byte() % sizeof bytes;
            const bool read = maps.read(address, bytes, count);
            require(read == maps.reaches(address, count, false) &&
                    (!maps.write(address, bytes, count) || read));
        }
        maps.clear(); // its memory goes with this round
    }
    return 0;
}
