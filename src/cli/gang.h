#pragma once
// Gang production: `produce FILE -P PORT -P PORT...` runs one session per adapter at the
// same time, each on a thread of its own with its own port, state, reporter and console,
// over one journal. A session stays single-threaded; the threads share only the chip
// count, the go from stdin, the journal (under its lock) and the output, one line or
// event at a time.

#include "cli/cli_env.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "cli/json.h"

namespace kestro::cli {

// Runs the gang; `summary` gets the "produce" member of the result.
ExitCode runGang(CliEnv& env, const CliOptions& options, Console& console, JsonObject& summary);

} // namespace kestro::cli
