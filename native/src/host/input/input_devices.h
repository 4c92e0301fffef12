#pragma once

#include "input/controller_info.h"
#include "input/input_ports.h"
#include "input/joypad.h"
#include "input/keyboard.h"
#include "input/lightgun.h"
#include "input/mouse.h"
#include "input/pointer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tovarune {

// Every input device of a player, as scripts set it and the core reads it,
// and what the core said of its controls.
struct InputDevices {
    Joypads joypads;
    Mice mice;
    Pointers pointers;
    Lightguns lightguns;
    Keyboard keyboard;
    ControllerInfo controllers;
    std::vector<InputDescriptor> descriptors;
    // The device a script chose for each port; none keeps the default.
    std::array<std::optional<unsigned>, input_port_count> chosen_devices;
    // Whether the core polled since its frame began; a core that reads input
    // without polling gets the poll first.
    bool polled = false;

    // Latches what gathers between polls, for a picture of this size.
    void poll(unsigned width, unsigned height);
    // The answer to retro_input_state_t.
    std::int16_t query(unsigned port, unsigned device, unsigned index, unsigned id) const;
    // What belongs to the core that goes: its lists and its keyboard callback.
    void forget_core();
};

} // namespace tovarune
