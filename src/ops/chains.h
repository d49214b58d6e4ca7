#pragma once
// The Process menu's commands as chains of operations: each link names its step and
// the condition it tests, and one runner reads them for both front ends.

#include "ops/operation.h"

#include <cstdint>

namespace kestro {

enum class ProcessCommand : uint8_t {
    Identify,
    Read,
    Erase,
    Program,
    Verify,
    ProgramSecurity,
    ProgramFuse,
    ReadFuse,
    EraseProgram,
    EraseProgramSecurity,
    CheckErase,
};

// Runs the command's chain. The front end locks its interface before and unlocks it
// after; the panel is hidden after every operation.
void runProcess(OpContext& c, ProcessCommand command);

} // namespace kestro
