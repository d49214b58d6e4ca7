#pragma once
// The Process menu's commands as chains of operations: each link names its step and
// the condition it tests, and one runner reads them for both front ends.

#include "devices/selection_rules.h"
#include "ops/operation.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestro {

// The command's menu caption as the Process menu shows it with verify after program
// off ("Erase+Program").
std::string_view commandCaption(ProcessCommand command);

// Whether the Process menu offers the command for the device, with the serial adapter
// active or not. Every front end asks this, so they offer the same.
bool offered(int deviceIndex, bool serialAdapter, ProcessCommand command);

// The chain that programs the device as the Process menu offers it: Program, else
// Erase+Program where Program alone is off (PIC12F629/675, PIC16F630/676, ...); none
// when neither is offered.
std::optional<ProcessCommand> programmingChain(int deviceIndex, bool serialAdapter);

// Runs the command's chain. The front end locks its interface before and unlocks it
// after; the panel is hidden after every operation.
void runProcess(OpContext& c, ProcessCommand command);

// Chains of one memory moved alone, for a front end whose steps are finer than the
// menu's commands: no fuse bytes, no verify after programming, no data pass. True when
// the memory was moved whole; a failure has been reported, a stop taken.
enum class MemoryChain : uint8_t {
    Read,           // the memory in view, as it is
    ReadDataMemory, // the data memory, in the data view, then the program view again
    Program,        // the memory in view; the self-verifying parts check each block as they take it
};
bool runMemoryChain(OpContext& c, MemoryChain chain);

} // namespace kestro
