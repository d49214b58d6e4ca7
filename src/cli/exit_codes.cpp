#include "cli/exit_codes.h"

#include <array>

namespace kestro::cli {

namespace {
constexpr std::array<ExitCodeEntry, 11> kCodes{{
    {ExitCode::Done, "done", "every step completed"},
    {ExitCode::Internal, "internal", "internal error"},
    {ExitCode::Usage, "usage", "the command line cannot be used (unknown option, step or part, "
                               "a step the part does not offer)"},
    {ExitCode::File, "file", "a file is missing, unreadable, malformed or not writable"},
    {ExitCode::Port, "port", "the port cannot be opened (missing, busy, no permission)"},
    {ExitCode::Adapter, "adapter", "the adapter did not answer correctly (time-out, echo, "
                                   "checksum, communication, version)"},
    {ExitCode::Chip, "chip", "the chip in the socket is not the chosen part (the one found is "
                             "named), is unknown, or identification was declined"},
    {ExitCode::Differs, "differs", "verify found a difference (address, file value and chip "
                                   "value are printed)"},
    {ExitCode::NotBlank, "not-blank", "the blank check found a programmed byte (address and "
                                      "value are printed)"},
    {ExitCode::Programming, "programming", "the adapter reported a programming error "
                                           "(status 167)"},
    {ExitCode::Cancelled, "cancelled", "cancelled with Ctrl+C (the current block completes "
                                       "first, as with Cancel)"},
}};
} // namespace

std::span<const ExitCodeEntry> exitCodeTable() { return kCodes; }

const ExitCodeEntry& exitCodeEntry(ExitCode code) {
    for (const ExitCodeEntry& s : kCodes)
        if (s.code == code) return s;
    return kCodes[1];
}

ExitCode exitCodeOf(Fault fault) {
    switch (fault) {
    case Fault::None: return ExitCode::Done;
    case Fault::EchoDiffered:
    case Fault::Timeout:
    case Fault::Checksum:
    case Fault::Communication:
    case Fault::Version:
    case Fault::PortClose: return ExitCode::Adapter;
    case Fault::Interrupted: return ExitCode::Cancelled;
    case Fault::Programming:
    case Fault::ChipFailed: return ExitCode::Programming;
    case Fault::PortOpen: return ExitCode::Port;
    case Fault::ContentDiffers: return ExitCode::Differs;
    case Fault::NotBlank: return ExitCode::NotBlank;
    case Fault::Declined: return ExitCode::Chip;
    }
    return ExitCode::Internal;
}

} // namespace kestro::cli
