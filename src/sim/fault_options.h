#pragma once
// The simulator's fault options by name, shared by kestro-sim and every program that
// runs the simulator itself.

#include "sim/adapter_sim.h"

#include <span>
#include <string>
#include <string_view>

namespace kestro {

struct FaultOption {
    std::string_view name;     // "silent-from"
    std::string_view argument; // "K", "once|always", or empty for a switch
    std::string_view help;
};

std::span<const FaultOption> faultOptions();

// Applies one fault by name; `value` is ignored for a switch. False, with the reason
// in `error` ("silent-from wants ..."), when the name or the value is not understood.
bool applyFaultOption(std::string_view name, std::string_view value, AdapterFaults& faults,
                      std::string& error);

// "name=value" or "name" for a switch.
bool applyFaultSetting(std::string_view desc, AdapterFaults& faults, std::string& error);

} // namespace kestro
