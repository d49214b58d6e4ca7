#include "cli/option_table.h"

#include <algorithm>
#include <array>

namespace kestro::cli {

namespace {

using enum OptId;
using enum OptGroup;

constexpr std::array kOptions{
    OptionSpec{Part, 'p', "part", Arg::Required, "NAME", Adapter,
               "The chip type: a catalogue name in any case (see 'parts'). An unknown name "
               "lists the closest ones.",
               Complete::Part},
    OptionSpec{Port, 'P', "port", Arg::Required, "PORT", Adapter,
               "COM1 to COM4 (the link COMn in the config folder, else /dev/ttyS0 to "
               "/dev/ttyS3) or the path of a serial device. Default: the port of the "
               "settings file, else COM1.",
               Complete::Port, "COM1 COM2 COM3 COM4"},
    OptionSpec{Simulate, 0, "simulate", Arg::Optional, "CHIP", Adapter,
               "Work with the built-in adapter simulator instead of a port. CHIP is the chip "
               "in its socket: a catalogue name, 'any' (blank, no signature) or 'none'. "
               "Default: a blank chip of the part; without a part, the demo chip AT89C52 "
               "holding a test pattern, which then is the part.",
               Complete::Part},
    OptionSpec{SimulateFault, 0, "simulate-fault", Arg::Required, "FAULT", Adapter,
               "A fault of the simulator, as kestro-sim takes it (repeatable): "
               "silent-from=K, wrong-echo-from=K, hang-up-at=K, bad-checksum=once|always, "
               "short-block=once|always, status-167.",
               Complete::Words,
               "silent-from= wrong-echo-from= hang-up-at= bad-checksum=once bad-checksum=always "
               "short-block=once short-block=always status-167"},
    OptionSpec{SimulatePaced, 0, "simulate-paced", Arg::None, {}, Adapter,
               "Pace the simulated line at 19200 baud, as a real adapter's line."},
    OptionSpec{Data, 0, "data", Arg::None, {}, Steps,
               "The steps work on the data memory of a part that has program and data "
               "memory."},
    OptionSpec{Range, 0, "range", Arg::Required, "START:END", Steps,
               "The marker area: read, write, verify and blank-check cover only these "
               "addresses, six hexadecimal digits each (000010:00008F). Single-memory "
               "parts only."},
    OptionSpec{Verify, 0, "verify", Arg::None, {}, Steps,
               "program: verify after programming (the default)."},
    OptionSpec{NoVerify, 0, "no-verify", Arg::None, {}, Steps,
               "program: do not verify after programming."},
    OptionSpec{DataMemory, 0, "data-memory", Arg::None, {}, Steps,
               "program: program (and verify) the data memory too, from the same file."},
    OptionSpec{Fuse, 0, "fuse", Arg::Required, "NAME=VALUE", Steps,
               "A fuse setting by the name the fuse panel shows (repeatable): a list by its "
               "group (Oscillator=XT), a check box or list item by its caption "
               "(on/off), the ID; used by write-fuses, lock and program."},
    OptionSpec{Config, 0, "config", Arg::Required, "HEX", Steps,
               "The configuration word (high byte first) or, on PIC18, the fourteen "
               "configuration bytes in hexadecimal; used by write-fuses and program."},
    OptionSpec{Lock, 0, "lock", Arg::Required, "LEVEL", Steps,
               "The lock level 'lock' programs: an item of the lock list or its number. "
               "Without it, 'lock' programs the strongest level."},
    OptionSpec{Ports, 0, "ports", Arg::Required, "LINES", Steps,
               "hwtest: the port lines driven high, as the test panel names them, "
               "comma-separated (P0.3,P2.7); none when not given."},
    OptionSpec{Vpp, 0, "vpp", Arg::Required, "LEVEL[@PIN]", Steps,
               "hwtest: the VPP level (5V, 12V, 21V, 25V) and the socket pin it goes to, "
               "the number of an item of \"VPP Connect To:\" from 0 (default 5V@0)."},
    OptionSpec{Vce, 0, "vce", Arg::Required, "LEVEL", Steps, "hwtest: the VCE level, 5V or 6V (default 5V)."},
    OptionSpec{Yes, 'y', "yes", Arg::None, {}, Steps,
               "Answer yes to \"Continue the Process Y/N\" (a chip whose signature is "
               "unknown)."},
    OptionSpec{No, 'n', "no", Arg::None, {}, Steps,
               "Answer no to it. Without either the question is asked on a terminal and "
               "answered no elsewhere."},
    OptionSpec{Diff, 0, "diff", Arg::Required, "FILE", Steps,
               "When verify finds a difference, read the whole chip back into FILE and "
               "report the differing bytes and their address ranges.",
               Complete::File},
    OptionSpec{NoWaits, 0, "no-waits", Arg::None, {}, Steps,
               "Leave out the program's fixed waits (settle times and display pauses). "
               "Only for a simulated adapter: a real chip needs them."},
    OptionSpec{Count, 0, "count", Arg::Required, "N", Production,
               "produce: stop after N chips."},
    OptionSpec{Serial, 0, "serial", Arg::Required, "ADDR[:START[:STEP[:FORMAT]]]", Production,
               "produce: write a serial number into the image at ADDR before each chip, "
               "from START (default 1) in steps of STEP (default 1); FORMAT le32 (default), "
               "be32, ascii (8 digits) or bcd (4 bytes, 8 digits). Numbers are decimal, or "
               "hexadecimal after 0x."},
    OptionSpec{Journal, 0, "journal", Arg::Required, "FILE", Production,
               "produce: append one CSV line per chip to FILE (time, serial, result, exit "
               "code, CRC-32), synced to disk; serial numbers go on after the last one in "
               "FILE.",
               Complete::File},
    OptionSpec{Erase, 0, "erase", Arg::None, {}, Production,
               "produce: erase each chip before programming it."},
    OptionSpec{Secure, 0, "secure", Arg::None, {}, Production,
               "produce: program the security (lock) of each chip after it verified."},
    OptionSpec{Progress, 0, "progress", Arg::Required, "MODE", Output,
               "auto (bar on a terminal, else plain), bar, plain, json (JSON Lines on "
               "stdout) or none.",
               Complete::Words, "auto bar plain json none"},
    OptionSpec{Json, 0, "json", Arg::None, {}, Output, "Same as --progress json."},
    OptionSpec{Quiet, 'q', "quiet", Arg::None, {}, Output,
               "Only failures on stderr; no progress."},
    OptionSpec{Verbose, 'v', "verbose", Arg::None, {}, Output,
               "More detail (repeatable): -v the adapter and each step, -vv every byte on "
               "the line."},
    OptionSpec{Log, 0, "log", Arg::Required, "FILE", Output,
               "Append what is said on stderr, with times, to FILE (with -vv the wire "
               "trace too).",
               Complete::File},
    OptionSpec{Help, 'h', "help", Arg::None, "[TOPIC]", Output,
               "This help; TOPIC exit-codes, json, man or completion prints that instead."},
    OptionSpec{Version, 'V', "version", Arg::None, {}, Output, "The program's version."},
};

constexpr std::array kSteps{
    StepSpec{StepKind::Identify, "identify", StepArg::None, {}, false,
             "Read the chip's signature and check it is the part."},
    StepSpec{StepKind::Read, "read", StepArg::File, "FILE", false,
             "Read the chip (and its fuses where the part has them) and save it as Save "
             "does: Intel HEX for PIC parts, else binary with .eep and .fus side files."},
    StepSpec{StepKind::Write, "write", StepArg::File, "FILE", false,
             "Load FILE as Open loads it (.hex as Intel HEX, anything else binary with its "
             ".eep and .fus side files) and program it."},
    StepSpec{StepKind::Verify, "verify", StepArg::OptionalFile, "[FILE]", false,
             "Compare the chip with FILE, or with the image of the steps before."},
    StepSpec{StepKind::Erase, "erase", StepArg::None, {}, false, "Erase the chip."},
    StepSpec{StepKind::BlankCheck, "blank-check", StepArg::None, {}, false,
             "Check that the chip is erased."},
    StepSpec{StepKind::Lock, "lock", StepArg::None, {}, false,
             "Program the security (lock) bits."},
    StepSpec{StepKind::ReadFuses, "read-fuses", StepArg::OptionalFile, "[FILE]", false,
             "Read the fuse bytes, print them, and save the two bytes of a .fus file to "
             "FILE."},
    StepSpec{StepKind::WriteFuses, "write-fuses", StepArg::None, {}, false,
             "Program the fuse bytes of the image (from a file, a read-fuses before)."},
    StepSpec{StepKind::Hwtest, "hwtest", StepArg::None, {}, false,
             "Drive the adapter's socket pins with --ports, --vpp and --vce until Enter "
             "(or the end of the input), then release them."},
    StepSpec{StepKind::Program, "program", StepArg::File, "FILE", false,
             "The Program chain of the window: load FILE, program, verify (--no-verify "
             "leaves it out), the data memory (--data-memory), the fuses where the part "
             "has them."},
    StepSpec{StepKind::Produce, "produce", StepArg::File, "FILE", true,
             "Production: chip after chip (Enter for the next, q to stop, or --count N), "
             "each identified, (erased), programmed, verified, (secured)."},
    StepSpec{StepKind::Parts, "parts", StepArg::OptionalPattern, "[PATTERN]", true,
             "List the parts (PATTERN: part of a name, or a pattern with * and ?); with "
             "--port or --simulate also whether the adapter serves each."},
    StepSpec{StepKind::Ports, "ports", StepArg::None, {}, true,
             "List the serial devices, the COMn links and whether you may open each."},
};

constexpr std::array kTopics{
    HelpTopic{"exit-codes", "the exit codes"},
    HelpTopic{"json", "the schema of the JSON lines"},
    HelpTopic{"man", "the manual page (troff)"},
    HelpTopic{"completion", "the bash completion script"},
};

} // namespace

std::span<const OptionSpec> optionTable() { return kOptions; }

const OptionSpec& optionSpec(OptId id) {
    return *std::find_if(kOptions.begin(), kOptions.end(),
                         [id](const OptionSpec& o) { return o.id == id; });
}

std::span<const StepSpec> stepTable() { return kSteps; }

const StepSpec& stepSpec(StepKind kind) {
    return *std::find_if(kSteps.begin(), kSteps.end(),
                         [kind](const StepSpec& s) { return s.kind == kind; });
}

const StepSpec* findStep(std::string_view name) {
    const auto it = std::find_if(kSteps.begin(), kSteps.end(),
                                 [name](const StepSpec& s) { return s.name == name; });
    return it == kSteps.end() ? nullptr : &*it;
}

std::span<const HelpTopic> helpTopics() { return kTopics; }

} // namespace kestro::cli
