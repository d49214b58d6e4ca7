#pragma once
// The window program's command line: a file to open after the start-up, --help and
// --version. Qt's own options are taken out before these rules see the arguments.

#include <string>
#include <vector>

namespace kestro {

struct WindowArgs {
    enum Action { Run, Help, Version, UsageError } action = Run;
    std::string file;  // Run: opened after the start-up; empty for none
    std::string error; // UsageError: what was wrong, without the program's name
};

WindowArgs parseWindowArgs(const std::vector<std::string>& args); // without argv[0]

std::string windowHelpText();
std::string windowVersionText();

} // namespace kestro
