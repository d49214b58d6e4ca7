#pragma once
// The command line read against the option table, GNU style: options anywhere among
// the steps, short options clustered (-qv, -pAT89C52), long ones as --name VALUE or
// --name=VALUE, and "--" ending the options.

#include "cli/option_table.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestro::cli {

enum class ProgressMode : uint8_t { Auto, Bar, Plain, Json, None };
enum class Answer : uint8_t { Ask, Yes, No };

struct StepRequest {
    StepKind kind;
    std::string file; // empty when the step has none
};

struct CliOptions {
    std::vector<StepRequest> steps;
    std::optional<std::string> part;
    std::optional<std::string> port;  // the first of `ports`
    std::vector<std::string> ports;   // every --port, in order: several run a gang
    bool simulate = false;
    std::string simulateChip; // empty: the default chip
    std::vector<std::string> simulateFaults;
    bool simulatePaced = false;
    bool dataView = false;
    std::optional<std::string> range;
    bool verify = true;
    bool dataMemory = false;
    std::vector<std::string> fuses;
    std::optional<std::string> config;
    std::optional<std::string> lock;
    std::string testPorts, testVpp = "5V@0", testVce = "5V";
    Answer answer = Answer::Ask;
    std::optional<std::string> diffFile;
    bool noWaits = false;
    bool windowTiming = false;
    std::optional<uint32_t> count;
    std::optional<std::string> serial;
    std::optional<std::string> journal;
    bool erase = false;
    bool secure = false;
    ProgressMode progress = ProgressMode::Auto;
    bool quiet = false;
    int verbose = 0;
    std::optional<std::string> logFile;
    bool help = false;
    std::string helpTopic; // empty: the general help
    bool version = false;
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error; // non-empty: a usage error, said in these words
};

// `args` without the program name.
ParsedCommandLine parseCommandLine(std::span<const std::string> args);

} // namespace kestro::cli
