#pragma once
// The one table of options and steps: the parser reads it, and the help text, the
// manual page and the bash completion are written from it.

#include <cstdint>
#include <span>
#include <string_view>

namespace kestro::cli {

enum class OptId : uint8_t {
    Part, Port, Simulate, SimulateFault, SimulatePaced,
    Data, Range, Verify, NoVerify, DataMemory, Fuse, Config, Lock, Ports, Vpp, Vce, Yes, No, Diff,
    NoWaits, WindowTiming,
    Count, Serial, Journal, Erase, Secure,
    Progress, Json, Quiet, Verbose, Log, Help, Version,
};

enum class Arg : uint8_t {
    None,
    Required, // --name VALUE, --name=VALUE, -x VALUE, -xVALUE
    Optional, // only --name=VALUE
};

// What the shell may offer for the option's value.
enum class Complete : uint8_t { None, File, Part, Port, Words };

enum class OptGroup : uint8_t { Adapter, Steps, Production, Output };

struct OptionEntry {
    OptId id;
    char shortName; // 0: none
    std::string_view longName;
    Arg arg;
    std::string_view argName;
    OptGroup group;
    std::string_view help;
    Complete complete = Complete::None;
    std::string_view words = {}; // Complete::Words: the choices, blank-separated
};

std::span<const OptionEntry> optionTable();
const OptionEntry& optionEntry(OptId id);

enum class StepKind : uint8_t {
    Identify, Read, Write, Verify, Erase, BlankCheck, Lock, ReadFuses, WriteFuses, Hwtest,
    Program, Produce, Parts, Ports,
};

enum class StepArg : uint8_t { None, File, OptionalFile, OptionalPattern };

struct StepEntry {
    StepKind kind;
    std::string_view name;
    StepArg arg;
    std::string_view argName;
    bool alone; // a command of its own: no other step beside it
    std::string_view help;
};

std::span<const StepEntry> stepTable();
const StepEntry& stepEntry(StepKind kind);
const StepEntry* findStep(std::string_view name);

// Topics of --help TOPIC.
struct HelpTopic {
    std::string_view name;
    std::string_view help;
};
std::span<const HelpTopic> helpTopics();

} // namespace kestro::cli
