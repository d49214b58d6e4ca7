// kestro-cli: the programmer from a terminal and from scripts, over the same core as
// the window.

#include "cli/cli_main.h"
#include "cli/posix_env.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    kestro::cli::PosixEnv env;
    return kestro::cli::runCli(args, env);
}
