#include "shell/window_args.h"

namespace kestro {

WindowArgs parseWindowArgs(const std::vector<std::string>& args) {
    WindowArgs a;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            return {WindowArgs::Help, {}, {}};
        } else if (!optionsEnded && arg == "--version") {
            return {WindowArgs::Version, {}, {}};
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return {WindowArgs::UsageError, {}, "unknown option '" + arg + "'"};
        } else if (!a.file.empty()) {
            // One buffer, one file: a second would silently replace the first.
            return {WindowArgs::UsageError, {}, "one file at a time ('" + arg + "' is a second)"};
        } else {
            a.file = arg;
        }
    }
    return a;
}

std::string windowHelpText() {
    return "Usage: kestro [Qt options] [FILE]\n"
           "Drives a serial device programmer from a desktop window.\n"
           "\n"
           "  FILE        opened after the start-up as File > Open opens it, for the\n"
           "              device then selected (Intel HEX .hex .ihx .ihex, ELF .elf,\n"
           "              anything else as a binary image)\n"
           "  --help, -h  this text\n"
           "  --version   the program's version\n"
           "\n"
           "Qt options such as -platform NAME and -style NAME are understood too.\n"
           "The command line's own program is kestro-cli; see man kestro.\n";
}

std::string windowVersionText() { return std::string("kestro ") + KESTRO_VERSION + "\n"; }

} // namespace kestro
