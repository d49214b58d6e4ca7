#pragma once
// kestro-cli from its arguments to its exit code, on any environment.

#include "cli/cli_env.h"

#include <span>
#include <string>

namespace kestro::cli {

// `args` without the program name.
int runCli(std::span<const std::string> args, CliEnv& env);

} // namespace kestro::cli
