#include "cli/option_table.h"

#include <algorithm>
#include <array>

namespace kestro::cli {

namespace {

using enum OptId;
using enum OptGroup;

constexpr std::array kOptions{
    OptionEntry{Part, 'p', "part", Arg::Required, "NAME", Adapter,
               "The chip type: a catalogue name in any case (see 'parts'). An unknown name "
               "lists the closest ones.",
               Complete::Part},
    OptionEntry{Port, 'P', "port", Arg::Required, "PORT", Adapter,
               "COM1 to COM4 (the link COMn in the config folder, else /dev/ttyS0 to "
               "/dev/ttyS3) or the path of a serial device. Default: the port of the "
               "settings file, else COM1. produce takes it several times: one adapter on "
               "each, programming at the same time (see Gang production).",
               Complete::Port, "COM1 COM2 COM3 COM4"},
    OptionEntry{Simulate, 0, "simulate", Arg::Optional, "CHIP", Adapter,
               "Work with the built-in adapter simulator instead of a port. CHIP is the chip "
               "in its socket: a catalogue name, 'any' (blank, no signature) or 'none'. "
               "Default: a blank chip of the part; without a part, the demo chip AT89C52 "
               "holding a test pattern, which then is the part.",
               Complete::Part},
    OptionEntry{SimulateFault, 0, "simulate-fault", Arg::Required, "FAULT", Adapter,
               "A fault of the simulator, as kestro-sim takes it (repeatable): "
               "silent-from=K, wrong-echo-from=K, hang-up-at=K, bad-checksum=once|always, "
               "short-block=once|always, status-167.",
               Complete::Words,
               "silent-from= wrong-echo-from= hang-up-at= bad-checksum=once bad-checksum=always "
               "short-block=once short-block=always status-167"},
    OptionEntry{SimulatePaced, 0, "simulate-paced", Arg::None, {}, Adapter,
               "Pace the simulated line at 19200 baud, as a real adapter's line."},
    OptionEntry{Data, 0, "data", Arg::None, {}, Steps,
               "The steps work on the data memory of a part that has program and data "
               "memory."},
    OptionEntry{Range, 0, "range", Arg::Required, "START:END|file", Steps,
               "The marker area, the address window that Setup > Marker Area sets in the "
               "window: read, write, verify and blank-check cover only these addresses, six "
               "hexadecimal digits each (000010:00008F); an Intel HEX file "
               "that read writes holds only them. 'file': only the blocks that hold the "
               "data of the file the steps name (Intel HEX by its records' addresses, a "
               "binary by its length less the erased bytes it ends with), each stretch its "
               "own range unless the gap to the next costs less on the wire than another "
               "packet with its identification and waits (see Ranges); read has no file "
               "for it. Memory chips only, not microcontrollers."},
    OptionEntry{Verify, 0, "verify", Arg::None, {}, Steps,
               "program: verify after programming (the default)."},
    OptionEntry{NoVerify, 0, "no-verify", Arg::None, {}, Steps,
               "program: do not verify after programming."},
    OptionEntry{DataMemory, 0, "data-memory", Arg::None, {}, Steps,
               "program: program (and verify) the data memory too, from the same file."},
    OptionEntry{Fuse, 0, "fuse", Arg::Required, "NAME=VALUE", Steps,
               "A fuse setting by the name the fuse panel shows (repeatable): a list by its "
               "group (Oscillator=XT), a check box or list item by its caption "
               "(on/off), the ID; used by write-fuses, lock and program."},
    OptionEntry{Config, 0, "config", Arg::Required, "HEX", Steps,
               "The configuration word (high byte first) or, on PIC18, the fourteen "
               "configuration bytes in hexadecimal; used by write-fuses and program."},
    OptionEntry{Lock, 0, "lock", Arg::Required, "LEVEL", Steps,
               "The lock level 'lock' programs: an item of the lock list or its number. "
               "Without it, 'lock' programs the strongest level."},
    OptionEntry{Ports, 0, "ports", Arg::Required, "LINES", Steps,
               "hwtest: the port lines driven high, as the test panel names them, "
               "comma-separated (P0.3,P2.7); none when not given."},
    OptionEntry{Vpp, 0, "vpp", Arg::Required, "LEVEL[@PIN]", Steps,
               "hwtest: the VPP level (5V, 12V, 21V, 25V) and the socket pin it goes to, "
               "the number of an item of \"VPP Connect To:\" from 0 (default 5V@0)."},
    OptionEntry{Vce, 0, "vce", Arg::Required, "LEVEL", Steps, "hwtest: the VCE level, 5V or 6V (default 5V)."},
    OptionEntry{Yes, 'y', "yes", Arg::None, {}, Steps,
               "Answer yes to \"Continue the Process Y/N\" (a chip whose signature is "
               "unknown)."},
    OptionEntry{No, 'n', "no", Arg::None, {}, Steps,
               "Answer no to it. Without either the question is asked on a terminal and "
               "answered no elsewhere."},
    OptionEntry{Diff, 0, "diff", Arg::Required, "FILE", Steps,
               "When verify finds a difference, read the whole chip back into FILE (named "
               "as for read) and report the differing bytes and their address ranges.",
               Complete::File},
    OptionEntry{NoWaits, 0, "no-waits", Arg::None, {}, Steps,
               "Leave out the program's fixed waits (settle times and display pauses). "
               "Only for a simulated adapter: a real chip needs them."},
    OptionEntry{WindowTiming, 0, "window-timing", Arg::None, {}, Steps,
               "Keep every fixed wait the window makes. Without it kestro-cli leaves out the "
               "waits that only hold a text on the window's panel once the adapter's exchange "
               "has ended (listed under Waits); the bytes on the line stay the same."},
    OptionEntry{Count, 0, "count", Arg::Required, "N", Production,
               "produce: stop after N chips."},
    OptionEntry{Serial, 0, "serial", Arg::Required, "ADDR[:START[:STEP[:FORMAT]]]", Production,
               "produce: write a serial number into the image at ADDR before each chip, "
               "from START (default 1) in steps of STEP (default 1); FORMAT le32 (default), "
               "be32, ascii (8 digits) or bcd (4 bytes, 8 digits). Numbers are decimal, or "
               "hexadecimal after 0x."},
    OptionEntry{Journal, 0, "journal", Arg::Required, "FILE", Production,
               "produce: append two CSV lines per chip to FILE (time, serial, result, exit "
               "code, CRC-32), each synced to disk: the serial number reserved once "
               "identification has taken the chip, then the chip's result. Serial numbers go "
               "on after the highest one in FILE; runs on several adapters may share it.",
               Complete::File},
    OptionEntry{Erase, 0, "erase", Arg::None, {}, Production,
               "produce: erase each chip before programming it."},
    OptionEntry{Secure, 0, "secure", Arg::None, {}, Production,
               "produce: program the security (lock) of each chip after it verified."},
    OptionEntry{Progress, 0, "progress", Arg::Required, "MODE", Output,
               "auto (bar on a terminal, else plain), bar, plain, json (JSON Lines on "
               "stdout) or none.",
               Complete::Words, "auto bar plain json none"},
    OptionEntry{Json, 0, "json", Arg::None, {}, Output, "Same as --progress json."},
    OptionEntry{Quiet, 'q', "quiet", Arg::None, {}, Output,
               "Only failures on stderr; no progress."},
    OptionEntry{Verbose, 'v', "verbose", Arg::None, {}, Output,
               "More detail (repeatable): -v the adapter and each step, -vv every byte on "
               "the line."},
    OptionEntry{Log, 0, "log", Arg::Required, "FILE", Output,
               "Append what is said on stderr, with times, to FILE (with -vv the wire "
               "trace too).",
               Complete::File},
    OptionEntry{Help, 'h', "help", Arg::None, "[TOPIC]", Output,
               "This help; TOPIC exit-codes, json, man, completion or fuses (with -p PART) "
               "prints that instead."},
    OptionEntry{Version, 'V', "version", Arg::None, {}, Output, "The program's version."},
};

constexpr std::array kSteps{
    StepEntry{StepKind::Identify, "identify", StepArg::None, {}, false,
             "Read the chip's signature and check it is the part."},
    StepEntry{StepKind::Read, "read", StepArg::File, "FILE", false,
             "Read the chip (and its fuses where the part has them) into FILE, as its name "
             "says: .hex, .ihx or .ihex give Intel HEX (a PIC's configuration, ID and data "
             "EEPROM as Save writes them, byte addresses for other parts), any other name "
             "a binary image with .eep and .fus side files named after it."},
    StepEntry{StepKind::Write, "write", StepArg::File, "FILE", false,
             "Load FILE as Open loads it (.hex, .ihx and .ihex as Intel HEX, .elf as an "
             "executable, anything else binary with its .eep and .fus side files) and "
             "program it. Data the part has no place for refuses the file; erased fill, "
             "device ID and reserved words are left out."},
    StepEntry{StepKind::Verify, "verify", StepArg::OptionalFile, "[FILE]", false,
             "Compare the chip with FILE, or with the image of the steps before."},
    StepEntry{StepKind::Erase, "erase", StepArg::None, {}, false, "Erase the chip."},
    StepEntry{StepKind::BlankCheck, "blank-check", StepArg::None, {}, false,
             "Check that the chip is erased."},
    StepEntry{StepKind::Lock, "lock", StepArg::None, {}, false,
             "Program the security (lock) bits."},
    StepEntry{StepKind::ReadFuses, "read-fuses", StepArg::OptionalFile, "[FILE]", false,
             "Read the fuse bytes, print them, and save the two bytes of a .fus file to "
             "FILE."},
    StepEntry{StepKind::WriteFuses, "write-fuses", StepArg::None, {}, false,
             "Program the fuse bytes given by --fuse, --config or --lock, a file before "
             "or a read-fuses before; with none of them it refuses."},
    StepEntry{StepKind::Hwtest, "hwtest", StepArg::None, {}, false,
             "Drive the adapter's socket pins with --ports, --vpp and --vce until Enter "
             "(or the end of the input), then release them."},
    StepEntry{StepKind::Program, "program", StepArg::File, "FILE", false,
             "The Program chain of the window (Erase+Program where the part offers only "
             "that): load FILE, program, verify (--no-verify leaves it out), the data "
             "memory (--data-memory), the fuses where the part has them and something "
             "gave them (FILE, --fuse, --config, --lock, a read-fuses before)."},
    StepEntry{StepKind::Produce, "produce", StepArg::File, "FILE", true,
             "Production: chip after chip (Enter for the next, q to stop, or --count N), "
             "each identified, (erased), programmed, verified, (secured), as far as the "
             "part offers each in the Process menu."},
    StepEntry{StepKind::Parts, "parts", StepArg::OptionalPattern, "[PATTERN]", true,
             "List the parts (PATTERN: part of a name, or a pattern with * and ?); with "
             "--port or --simulate also whether the adapter serves each."},
    StepEntry{StepKind::Ports, "ports", StepArg::None, {}, true,
             "List the serial devices, the COMn links and whether you may open each."},
};

constexpr std::array kTopics{
    HelpTopic{"exit-codes", "the exit codes"},
    HelpTopic{"json", "the schema of the JSON lines"},
    HelpTopic{"man", "the manual page (troff)"},
    HelpTopic{"completion", "the bash completion script"},
    HelpTopic{"fuses", "with -p PART: the names --fuse takes for the part"},
};

} // namespace

std::span<const OptionEntry> optionTable() { return kOptions; }

const OptionEntry& optionEntry(OptId id) {
    return *std::find_if(kOptions.begin(), kOptions.end(),
                         [id](const OptionEntry& o) { return o.id == id; });
}

std::span<const StepEntry> stepTable() { return kSteps; }

const StepEntry& stepEntry(StepKind kind) {
    return *std::find_if(kSteps.begin(), kSteps.end(),
                         [kind](const StepEntry& s) { return s.kind == kind; });
}

const StepEntry* findStep(std::string_view name) {
    const auto it = std::find_if(kSteps.begin(), kSteps.end(),
                                 [name](const StepEntry& s) { return s.name == name; });
    return it == kSteps.end() ? nullptr : &*it;
}

std::span<const HelpTopic> helpTopics() { return kTopics; }

} // namespace kestro::cli
