#pragma once
// cli/ owns kestro-cli: the terminal and script front end over the same core as the
// window, with its own reporter, host behaviour, option table and output.
//
// The exit codes, one table for the program, its help and its manual page.

#include "link/link.h"

#include <span>
#include <string_view>

namespace kestro::cli {

enum class ExitCode : int {
    Done = 0,
    Internal = 1,
    Usage = 2,
    File = 3,        // a file missing, unreadable, malformed or not writable
    Port = 4,        // the port cannot be opened
    Adapter = 5,     // the adapter did not answer correctly
    Chip = 6,        // not the chosen part, unknown, or identification declined
    Differs = 7,     // verify found a difference
    NotBlank = 8,    // blank check found a programmed byte
    Programming = 9, // the adapter reported a programming error (status 167)
    Cancelled = 130, // Ctrl+C
};

struct ExitCodeEntry {
    ExitCode code;
    std::string_view name; // one word, for JSON
    std::string_view meaning;
};

std::span<const ExitCodeEntry> exitCodeTable();
const ExitCodeEntry& exitCodeEntry(ExitCode code);
inline int exitNumber(ExitCode code) { return static_cast<int>(code); }

// What a failure the core reported means for the exit code.
ExitCode exitCodeOf(Fault fault);

} // namespace kestro::cli
