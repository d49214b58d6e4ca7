// The command line as the option table reads it: GNU forms, steps with their files,
// and the usage errors that keep a wrong command from reaching the adapter.

#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestro::cli {
namespace {

ParsedCommandLine parse(std::vector<std::string> args) { return parseCommandLine(args); }

std::vector<std::string> stepWords(const CliOptions& o) {
    std::vector<std::string> w;
    for (const StepRequest& s : o.steps)
        w.push_back(std::string(stepEntry(s.kind).name) + (s.file.empty() ? "" : "(" + s.file + ")"));
    return w;
}

TEST(CommandLine, StepsRunInTheOrderWrittenWithTheirFiles) {
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> steps;
    } cases[] = {
        {{"erase", "write", "fw.hex", "verify", "lock"}, {"erase", "write(fw.hex)", "verify", "lock"}},
        {{"write", "fw.hex", "verify", "fw.hex"}, {"write(fw.hex)", "verify(fw.hex)"}},
        {{"read-fuses", "identify"}, {"read-fuses", "identify"}},
        {{"read-fuses", "f.fus"}, {"read-fuses(f.fus)"}},
        {{"parts", "AT89*"}, {"parts(AT89*)"}},
        {{"-p", "x", "--", "write", "-odd-name.bin"}, {"write(-odd-name.bin)"}},
        // A file named like a step is reached as ./name.
        {{"write", "./lock"}, {"write(./lock)"}},
        {{"verify", "./lock", "lock"}, {"verify(./lock)", "lock"}},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine p = parse(c.args);
        ASSERT_EQ(p.error, "") << c.args.front();
        EXPECT_EQ(stepWords(p.options), c.steps);
    }
}

TEST(CommandLine, OptionsInEveryGnuForm) {
    const ParsedCommandLine p =
        parse({"-qvv", "-pAT89C52", "write", "fw.hex", "--range", "000010:00008F",
               "--simulate=27C256", "--simulate-fault", "silent-from=9", "--no-verify", "-y",
               "--progress=json", "--log", "run.log", "--diff=chip.bin"});
    ASSERT_EQ(p.error, "");
    const CliOptions& o = p.options;
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.verbose, 2);
    EXPECT_EQ(o.part, "AT89C52");
    EXPECT_EQ(o.range, "000010:00008F");
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.simulateChip, "27C256");
    EXPECT_EQ(o.simulateFaults, std::vector<std::string>{"silent-from=9"});
    EXPECT_FALSE(o.verify);
    EXPECT_EQ(o.answer, Answer::Yes);
    EXPECT_EQ(o.progress, ProgressMode::Json);
    EXPECT_EQ(o.logFile, "run.log");
    EXPECT_EQ(o.diffFile, "chip.bin");
    EXPECT_EQ(stepWords(o), std::vector<std::string>{"write(fw.hex)"});

    // --simulate takes its chip only after '='; the next word stays a step.
    const ParsedCommandLine s = parse({"--simulate", "identify"});
    ASSERT_EQ(s.error, "");
    EXPECT_TRUE(s.options.simulate);
    EXPECT_EQ(s.options.simulateChip, "");
    EXPECT_EQ(stepWords(s.options), std::vector<std::string>{"identify"});

    for (const auto& form : {std::vector<std::string>{"-PCOM2", "identify"},
                             {"identify", "-P", "COM2"}, {"--port=COM2", "identify"}})
        EXPECT_EQ(parse(form).options.port, "COM2");

    const ParsedCommandLine h = parse({"--help", "exit-codes"});
    EXPECT_TRUE(h.options.help);
    EXPECT_EQ(h.options.helpTopic, "exit-codes");
    EXPECT_EQ(parse({"-h"}).options.helpTopic, "");
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{}, "no step given (see kestro-cli --help)"},
        {{"flash", "fw.hex"}, "unknown step 'flash' (see kestro-cli --help)"},
        {{"write"}, "write wants FILE"},
        {{"write", "verify"}, "write wants FILE"},
        {{"--frobnicate", "identify"}, "unknown option '--frobnicate'"},
        {{"-x", "identify"}, "unknown option '-x'"},
        {{"identify", "-p"}, "-p wants NAME"},
        {{"identify", "--part"}, "--part wants NAME"},
        {{"--part=", "identify"}, "--part wants NAME, not an empty value"},
        {{"--yes=1", "identify"}, "--yes takes no value"},
        {{"-y", "-n", "identify"}, "--yes and --no exclude each other"},
        {{"--progress", "fancy", "identify"}, "--progress wants auto, bar, plain, json or none, not 'fancy'"},
        {{"--count", "0", "produce", "f"}, "--count wants a number of chips from 1, not '0'"},
        {{"--count", "3x", "produce", "f"}, "--count wants a number of chips from 1, not '3x'"},
        {{"--count", "3", "write", "f"}, "--count is for produce"},
        {{"--serial", "0x10", "write", "f"}, "--serial is for produce"},
        {{"produce", "f", "verify"}, "produce is a command of its own: no other step beside it"},
        {{"identify", "ports"}, "ports is a command of its own: no other step beside it"},
        {{"--simulate-fault", "status-167", "identify"}, "--simulate-fault needs --simulate"},
        {{"--simulate", "-P", "COM1", "identify"}, "--simulate and --port exclude each other"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse(c.args).error, c.error) << (c.args.empty() ? "" : c.args.front());
    }
}

} // namespace
} // namespace kestro::cli
