#pragma once

#include <libretro.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tovarune {

// What a core says of its controls, copied: its arrays and texts need not
// outlive the call that gave them.

// A device a port can take (RETRO_ENVIRONMENT_SET_CONTROLLER_INFO).
struct ControllerType {
    unsigned id;
    std::string name;
};

class ControllerInfo {
public:
    // The core's whole list, replacing the last; null forgets it.
    void declare(const retro_controller_info *ports);
    // Empty for a port the core did not describe.
    const std::vector<ControllerType> &types(std::int32_t port) const;
    bool lists(std::int32_t port, unsigned device) const;

private:
    std::vector<std::vector<ControllerType>> ports_;
};

// What a control does in the game (RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS).
struct InputDescriptor {
    unsigned port, device, index, id;
    std::string description;
};

// The core's whole list, replacing `descriptors`; null empties it.
void declare_input_descriptors(const retro_input_descriptor *declared,
                               std::vector<InputDescriptor> &descriptors);

} // namespace tovarune
