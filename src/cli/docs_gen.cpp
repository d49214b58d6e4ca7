#include "cli/docs_gen.h"

#include "cli/exit_codes.h"
#include "cli/option_table.h"
#include "devices/catalogue.h"
#include "ops/file_ranges.h"
#include "ops/waits.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <vector>

namespace kestro::cli {

namespace {

constexpr int kWidth = 80;
constexpr size_t kHangingIndent = 26;

constexpr const char* kSummary =
    "Programs chips through the Kestro adapter from a terminal, a Makefile or a script: "
    "the same device selection, file readers and writers, operations and Process menu "
    "chains as the window, so every byte on the line is the one the window sends. The "
    "steps run in the order written, in one run on the adapter, and stop at the first "
    "failure. Data and JSON go to stdout, everything for people to stderr.";

struct Example {
    const char* command;
    const char* what;
};
constexpr std::array<Example, 7> kExamples{{
    {"kestro-cli -p AT89C52 write fw.hex verify", "program a file and verify it"},
    {"kestro-cli -p AT89C52 erase write fw.hex verify lock", "the Erase+Program+Security chain spelt out"},
    {"kestro-cli -p PIC16F84 program fw.hex --data-memory", "the Program chain with the data memory"},
    {"kestro-cli -p 27C256 read chip.bin", "read a chip into a binary file"},
    {"kestro-cli -p 24C16 --range 000100:0001FF read part.bin", "read an address window"},
    {"kestro-cli --simulate write fw.hex verify read back.bin", "a whole job without hardware"},
    {"kestro-cli -p AT89C2051 produce fw.hex --serial 0x7FC:1000 --journal runs.csv",
     "production with serial numbers"},
}};

constexpr const char* kGroupTitles[] = {"Chip and adapter", "What the steps do", "Production (produce)",
                                        "Output"};

std::string wrap(const std::string& text, size_t indent, size_t first) {
    std::istringstream words(text);
    std::string out, word;
    size_t column = first;
    bool lineStart = true;
    while (words >> word) {
        if (!lineStart && column + 1 + word.size() > static_cast<size_t>(kWidth)) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineStart = false;
    }
    return out;
}

std::string optionLabel(const OptionEntry& o) {
    std::string label = o.shortName ? std::string("-") + o.shortName + ", " : "    ";
    label += "--";
    label += o.longName;
    if (o.arg == Arg::Optional) {
        label += "[=";
        label += o.argName;
        label += ']';
    } else if (!o.argName.empty()) {
        label += ' ';
        label += o.argName;
    }
    return label;
}

std::string stepLabel(const StepEntry& s) {
    std::string label(s.name);
    if (!s.argName.empty()) {
        label += ' ';
        label += s.argName;
    }
    return label;
}

void entry(std::string& out, const std::string& label, std::string_view help) {
    std::string line = "  " + label;
    if (line.size() + 2 > kHangingIndent) {
        out += line + "\n" + std::string(kHangingIndent, ' ');
    } else {
        out += line + std::string(kHangingIndent - line.size(), ' ');
    }
    out += wrap(std::string(help), kHangingIndent, kHangingIndent) + "\n";
}

// troff: backslashes, minus signs, and lines that would start a request.
std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

std::string words(std::string_view list) { return std::string(list); }

constexpr const char* kWaitsIntro =
    "The window keeps some texts on its panel for a while after the adapter's exchange "
    "has ended. Nothing is sent during those waits and the adapter waits for the next "
    "packet anyway, so kestro-cli leaves them out (--window-timing keeps them):";
constexpr const char* kWaitsKept =
    "Every wait that comes before an exchange or gives the chip time to act with no reply "
    "to wait for stays:";

constexpr const char* kGangText =
    "produce FILE -P PORT -P PORT... runs one session per adapter at the same time, each on a "
    "thread of its own with its own port, and one journal for all (the adapter in each record, "
    "no serial number twice; --serial then needs --journal). --count N counts chips across the "
    "adapters; without it, Enter starts a chip on every idle socket and q stops after the chips "
    "in hand. A chip that fails is journaled and its socket goes on with the next; an adapter "
    "that stops answering, or whose port goes, stops its socket alone. On a terminal each "
    "socket has a status line (chips, last result, progress, step); in a pipe or a log each "
    "line says its adapter first, and --json gives each event an \"adapter\" member. The "
    "exit code is the worst of the sockets', after a line for each.";

// The gap rule of --range file, with the figures it works by.
std::string rangesText() {
    const auto ms = [](double v) { return std::to_string(static_cast<long>(v + 0.5)) + " ms"; };
    const std::array writeVerify{RangeOp::Program, RangeOp::Verify};
    return "With --range file two stretches of data are moved as one range when the gap between them "
           "takes no longer on the line than another range would add, else as two ranges, each its "
           "own packet. Another range adds " + ms(rangeOverheadMs(RangeOp::Program)) +
           " to write (identification and packet), " + ms(rangeOverheadMs(RangeOp::Verify)) +
           " to verify and blank-check (the wait before the read-back and the packet); a block of " +
           std::to_string(kBlockSize) + " bytes takes " + ms(blockWireMs(RangeOp::Program)) + " to write and " +
           ms(blockWireMs(RangeOp::Verify)) + " to read back at 19200 baud. So write and verify "
           "move a gap of up to " + std::to_string(gapBlocksMoved(writeVerify)) +
           " blocks and skip a longer one.";
}

// The waits left out and those kept, from the table the operations wait by.
std::vector<std::string> waitLines(bool shownOnly) {
    std::vector<std::string> lines;
    for (const FixedWaitEntry& w : kFixedWaits)
        if (w.shownOnly == shownOnly) lines.push_back(std::to_string(w.ms) + " ms " + std::string(w.where));
    return lines;
}

} // namespace

std::string helpText() {
    std::string out = "Usage: kestro-cli [OPTION]... STEP...\n" + wrap(kSummary, 0, 0) + "\n\nSteps:\n";
    for (const StepEntry& s : stepTable()) entry(out, stepLabel(s), s.help);
    for (int g = 0; g < 4; ++g) {
        out += std::string("\n") + kGroupTitles[g] + ":\n";
        for (const OptionEntry& o : optionTable())
            if (static_cast<int>(o.group) == g) entry(out, optionLabel(o), o.help);
    }
    out += "\nGang production:\n" + wrap(kGangText, 0, 0) + "\n";
    out += "\nRanges:\n" + wrap(rangesText(), 0, 0) + "\n";
    out += "\nWaits:\n" + wrap(kWaitsIntro, 0, 0) + "\n";
    for (const std::string& l : waitLines(true)) out += "  " + l + "\n";
    out += wrap(kWaitsKept, 0, 0) + "\n";
    for (const std::string& l : waitLines(false)) out += "  " + l + "\n";
    out += "\nExamples:\n";
    for (const Example& e : kExamples) out += "  " + std::string(e.command) + "\n      " + e.what + "\n";
    std::string codes = "Exit codes:";
    for (const ExitCodeEntry& c : exitCodeTable()) {
        codes += ' ';
        codes += std::to_string(exitNumber(c.code));
        codes += ' ';
        codes += c.name;
        codes += c.code == ExitCode::Cancelled ? '.' : ',';
    }
    out += "\n" + wrap(codes, 0, 0) + "\nkestro-cli --help exit-codes tells more; --help json gives the JSON schema.\n";
    return out;
}

std::string exitCodesText() {
    std::string out = "Exit codes of kestro-cli:\n";
    for (const ExitCodeEntry& c : exitCodeTable()) {
        std::string label = std::to_string(exitNumber(c.code));
        label += std::string(5 - label.size(), ' ') + std::string(c.name);
        entry(out, label, c.meaning);
    }
    return out;
}

std::string jsonSchemaText() {
    return std::string("JSON Lines of kestro-cli, schema ") + kJsonSchema + R"(

With --progress json (or --json), stdout carries one JSON object per line and
nothing else. Every object has "event" (its kind) and "t" (seconds since the
start, a number). Later versions of the schema only add members; a change of a
member's meaning changes the schema name. Hexadecimal values are strings of
upper-case digits; addresses and byte values are numbers. Every line is UTF-8:
in a text, each byte of a file name that is not UTF-8 is written as U+FFFD, and
the members "file" and "saved" then come with "file_bytes" / "saved_bytes", the
name's bytes as an array of numbers.

event "start": the run begins.
  schema      "kestro-cli/1"
  version     the program's version
  part        the part as given (null when none was)
  port        the port as given, "simulated", or null for the settings' port
  steps       array of the steps as written, e.g. ["write fw.hex", "verify"]

event "step": a step begins.
  step        its name: identify, read, write, verify, erase, blank-check,
              lock, read-fuses, write-fuses, program
  file        its file, "" when none

event "operation": an operation of the chip shows itself (as the window's
operation panel does).
  text        the program's own text, e.g. "Programming Chip..."
  mode        "progress" (a block transfer) or "message"
  total       progress mode: the bytes the transfer will move

event "progress": at most ten a second during a block transfer, and once at
its end.
  done        bytes moved so far
  total       bytes of the whole transfer
  address     the chip address reached
  bytes_per_second  the rate so far (absent at the very start)

event "message": a text for people.
  level       "info" (the program's status texts, e.g. "Chip Content EQUAL
              With Buffer.") or "error" (failures, e.g. "Communication Error !")
  text        the text as the program shows it

event "operation_end": the operation's panel goes away.
  text        the operation's text
  result      "done", "failed" or "interrupted"
  seconds     how long it took
  done        progress mode: the bytes moved
  address     progress mode, interrupted: the chip address reached

event "step_end": a step ends.
  step, ok (true when it completed), exit_code, seconds
  crc32_written / crc32_read / crc32_verified
              CRC-32 of the image bytes the step covered (the marker area, else
              the whole memory in view), with "bytes" their count
  saved       the file written, as the writer named it
  fuses       read-fuses: the fuse bytes as printed
  fuses_skipped  program: why Program Fuse did not run (no fuse bytes came from
              the file, --fuse, --config, --lock or a read-fuses before)
  diff        with --diff after a difference: {"file", "bytes" (how many
              differ), "ranges" ([[first, last], ...] merged runs)}
  partly_erased  an erase of several packets cut short by Ctrl+C: {"sent",
              "packets"}; the chip is only partly erased

event "ranges": --range file, before the first step (and again when a serial
number adds to them).
  extents     [[first, last], ...] the chip addresses that hold the file's data
  ranges      [[first, last], ...] the ranges the steps move, each one packet

event "chip": produce, one per chip. With several ports every event of a
socket begins with "adapter", its port as given.
  number, serial (null without --serial, and for a chip identification
  refused), ok, exit_code, crc32, seconds

event "part": the parts listing, one per part.
  name, program_size, data_size (bytes), family, socket, and with an
  adapter "served"

event "port": the ports listing, one per port.
  name        "COM1".."COM4", or "" for a device found on its own
  path        what would be opened
  device      where a link leads, "" when path is the device
  usable      whether this user may open it; "note" says why not

event "result": the last line, always, but when a second Ctrl+C ends the
program at once: then a "message" of level "error" saying so is the last.
  schema, version, part (the catalogue name, null when none was found),
  port, exit_code, exit_name (see --help exit-codes), seconds,
  steps       array of {"step", "file", "ok", "exit_code", "seconds", and
              the crc32_*, "bytes", "saved", "fuses", "diff" members above}
  failure     null, or {"step" (null before the first step), "exit_code",
              "kind" (the exit name), "text", and where known "address",
              "file_value", "chip_value" (verify), "value" (blank check),
              "found_part" (identification found another chip)}
  range_file  --range file only: {"extents", "ranges"} as in "ranges"
  produce     produce only: {"good", "failed", "first_serial", "last_serial"};
              with several ports {"good", "failed", "adapters": [{"adapter",
              "chips", "good", "failed", "first_serial", "last_serial",
              "exit_code", "lost"}, ...]}
)";
}

std::string manPage() {
    std::string out = ".TH KESTRO\\-CLI 1 \"\" \"Kestro " + std::string(kCliVersion) +
                      "\" \"User Commands\"\n"
                      ".SH NAME\nkestro\\-cli \\- program chips through the Kestro adapter from a "
                      "terminal or a script\n"
                      ".SH SYNOPSIS\n.B kestro\\-cli\n[\\fIOPTION\\fR]... \\fISTEP\\fR...\n"
                      ".SH DESCRIPTION\n" +
                      roff(kSummary) + "\n.SH STEPS\n";
    for (const StepEntry& s : stepTable())
        out += ".TP\n.B " + roff(stepLabel(s)) + "\n" + roff(s.help) + "\n";
    out += ".SH OPTIONS\n";
    for (int g = 0; g < 4; ++g) {
        out += ".SS " + roff(kGroupTitles[g]) + "\n";
        for (const OptionEntry& o : optionTable())
            if (static_cast<int>(o.group) == g)
                out += ".TP\n.B " + roff(optionLabel(o)) + "\n" + roff(o.help) + "\n";
    }
    out += ".SH EXIT STATUS\n";
    for (const ExitCodeEntry& c : exitCodeTable())
        out += ".TP\n.B " + std::to_string(exitNumber(c.code)) + "\n" + roff(c.meaning) + " (" +
               roff(c.name) + ").\n";
    out += ".SH JSON OUTPUT\nWith \\fB\\-\\-progress json\\fR stdout carries JSON Lines, schema " +
           roff(kJsonSchema) +
           ": events start, step, operation, progress, message, operation_end, step_end, chip "
           "and a final result object with the part, the steps, the CRC\\-32 of the image "
           "written, read or verified, the timings, the failure with its address and values, "
           "and the exit code. \\fBkestro\\-cli \\-\\-help json\\fR gives the whole schema.\n"
           ".SH ENVIRONMENT\n.TP\n.B NO_COLOR\nWhen set, no colour is used. Colour is used "
           "only on a terminal in any case.\n.TP\n.B XDG_CONFIG_HOME\nThe config folder is "
           "\\fI$XDG_CONFIG_HOME/kestro\\fR, else \\fI~/.config/kestro\\fR.\n"
           ".SH FILES\n.TP\n.I ~/.config/kestro/kestro.cfg\nThe settings file of the window. "
           "kestro\\-cli reads the port from it when \\fB\\-\\-port\\fR is not given, and never "
           "writes it.\n.TP\n.I ~/.config/kestro/COM1 .. COM4\nLinks to the serial devices "
           "the names COM1 to COM4 stand for (else /dev/ttyS0 to /dev/ttyS3).\n"
           ".SH NOTES\nCtrl+C stops the run where the adapter can stop cleanly: a step whose "
           "command has not gone out yet is not started, a block transfer ends after the block "
           "in hand, a multi\\-packet erase after the packet in hand (the partly erased chip "
           "is said), and a fixed wait ends at once. A step that completed is reported as "
           "completed; the run stops after it. The exit status is 130. A second Ctrl+C ends "
           "the program at once, even while a block is still arriving, with the port restored "
           "and one line that says where the operation got to.\n"
           ".SS Gang production\n" + roff(kGangText) + "\n"
           ".SS Ranges\n" + roff(rangesText()) + "\n"
           ".SS Waits\n" + roff(kWaitsIntro) + "\n";
    for (const std::string& l : waitLines(true)) out += ".br\n" + roff(l) + "\n";
    out += ".PP\n" + roff(kWaitsKept) + "\n";
    for (const std::string& l : waitLines(false)) out += ".br\n" + roff(l) + "\n";
    out += ".SH EXAMPLES\n";
    for (const Example& e : kExamples)
        out += ".TP\n.B " + roff(e.command) + "\n" + roff(e.what) + ".\n";
    out += ".SH SEE ALSO\n.BR kestro (1),\n.BR kestro\\-sim (1)\n";
    return out;
}

std::string bashCompletion() {
    std::string steps, options, parts, wantValue;
    const auto add = [](std::string& list, std::string_view word) {
        if (!list.empty()) list += ' ';
        list += word;
    };
    for (const StepEntry& s : stepTable()) add(steps, s.name);
    std::vector<std::string_view> seen;
    for (const CatalogueRow& r : catalogueRows()) {
        if (std::find(seen.begin(), seen.end(), r.name) != seen.end()) continue;
        seen.push_back(r.name);
        add(parts, r.name);
    }
    std::string cases;
    for (const OptionEntry& o : optionTable()) {
        add(options, "--" + std::string(o.longName));
        if (o.shortName) options += std::string(" -") + o.shortName;
        if (o.arg == Arg::None) continue;
        std::string pattern = "--" + std::string(o.longName);
        if (o.shortName) pattern += std::string("|-") + o.shortName;
        std::string reply;
        switch (o.complete) {
        case Complete::None: reply = "return 0"; break;
        case Complete::File: reply = "COMPREPLY=($(compgen -f -- \"$cur\"))"; break;
        case Complete::Part: reply = "COMPREPLY=($(compgen -W \"$parts\" -- \"$cur\"))"; break;
        case Complete::Port:
            reply = "COMPREPLY=($(compgen -W \"" + words(o.words) +
                    "\" -- \"$cur\") $(compgen -f -- \"$cur\"))";
            break;
        case Complete::Words: reply = "COMPREPLY=($(compgen -W \"" + words(o.words) + "\" -- \"$cur\"))"; break;
        }
        // An optional value is only ever given as --name=VALUE.
        const std::string guard = o.arg == Arg::Optional ? "[[ $eq ]] || return 1; " : "";
        cases += "        " + pattern + ") " + guard + reply + "; return 0 ;;\n";
    }
    std::string fileSteps, optionalFileSteps;
    for (const StepEntry& s : stepTable()) {
        std::string& list = s.arg == StepArg::File ? fileSteps : optionalFileSteps;
        if (s.arg == StepArg::File || s.arg == StepArg::OptionalFile)
            list += (list.empty() ? "" : "|") + std::string(s.name);
    }
    return "# bash completion for kestro-cli; written by kestro-cli --help completion\n"
           "_kestro_cli_value()\n{\n    local option=$1 cur=$2 eq=$3\n    case $option in\n" +
           cases + "    esac\n    return 1\n}\n\n"
           "_kestro_cli()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} eq=\n"
           "    local steps=\"" + steps + "\"\n"
           "    local options=\"" + options + "\"\n"
           "    local parts=\"" + parts + "\"\n"
           "    COMPREPLY=()\n"
           "    # --name=VALUE: bash splits at '=' unless told otherwise\n"
           "    if [[ $cur == = ]]; then eq=1; cur=; \n"
           "    elif [[ $prev == = ]]; then eq=1; prev=${COMP_WORDS[COMP_CWORD-2]};\n"
           "    elif [[ $cur == --*=* ]]; then eq=1; prev=${cur%%=*}; cur=${cur#*=}; fi\n"
           "    if [[ $eq ]]; then _kestro_cli_value \"$prev\" \"$cur\" 1; return 0; fi\n"
           "    _kestro_cli_value \"$prev\" \"$cur\" \"\" && return 0\n"
           "    case $prev in\n"
           "        " + fileSteps + ") COMPREPLY=($(compgen -f -- \"$cur\")); return 0 ;;\n"
           "        " + optionalFileSteps + ") COMPREPLY=($(compgen -W \"$steps\" -- \"$cur\") $(compgen -f -- \"$cur\")); return 0 ;;\n"
           "    esac\n"
           "    if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W \"$options\" -- \"$cur\")); return 0; fi\n"
           "    COMPREPLY=($(compgen -W \"$steps\" -- \"$cur\"))\n"
           "}\n"
           "complete -o filenames -F _kestro_cli kestro-cli\n";
}

} // namespace kestro::cli
