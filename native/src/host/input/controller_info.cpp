#include "input/controller_info.h"

#include "input/input_ports.h"

namespace tovarune {

namespace {

// Beyond any real core's lists: a list without its end stops here.
constexpr std::size_t most_ports = 64;
constexpr unsigned most_types = 256;
constexpr std::size_t most_descriptors = 4096;

std::string text_of(const char *text) { return text != nullptr ? text : ""; }

} // namespace

void ControllerInfo::declare(const retro_controller_info *ports) {
    ports_.clear();
    for (std::size_t port = 0; ports != nullptr && port < most_ports; ++port) {
        const retro_controller_info &info = ports[port];
        if (info.types == nullptr && info.num_types == 0) {
            break;
        }
        std::vector<ControllerType> &types = ports_.emplace_back();
        for (unsigned type = 0; info.types != nullptr && type < info.num_types && type < most_types;
             ++type) {
            types.push_back({info.types[type].id, text_of(info.types[type].desc)});
        }
    }
}

const std::vector<ControllerType> &ControllerInfo::types(std::int32_t port) const {
    static const std::vector<ControllerType> none;
    return in_range(port, static_cast<int>(ports_.size())) ? ports_[static_cast<std::size_t>(port)]
                                                           : none;
}

bool ControllerInfo::lists(std::int32_t port, unsigned device) const {
    for (const ControllerType &type : types(port)) {
        if (type.id == device) {
            return true;
        }
    }
    return false;
}

void declare_input_descriptors(const retro_input_descriptor *declared,
                               std::vector<InputDescriptor> &descriptors) {
    descriptors.clear();
    for (std::size_t i = 0; declared != nullptr && i < most_descriptors; ++i) {
        const retro_input_descriptor &entry = declared[i];
        if (entry.description == nullptr) {
            break;
        }
        descriptors.push_back({entry.port, entry.device, entry.index, entry.id, entry.description});
    }
}

} // namespace tovarune
