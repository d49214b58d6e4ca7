// What people see: the progress line, the styles the streams choose, colour only on a
// terminal and never with NO_COLOR.

#include "cli_fixture.h"

#include "cli/console.h"

namespace kestro {
namespace {

TEST(ProgressLine, BarAddressShareRateAndTimeLeft) {
    // Half done; 3968 bytes since the first block, in two seconds.
    cli::ProgressFigures f{4096, 8192, 0x1000, 3968, 2.0};
    EXPECT_EQ(cli::progressLine("Reading Chip...", f, 80),
              "Reading Chip... [###########-----------] 001000h  50%  1.9 KiB/s  0:02 left");
    f = {0, 8192, 0x10, 0, 0.0}; // at the start nothing is known of the rate
    EXPECT_EQ(cli::progressLine("Reading Chip...", f, 80),
              "Reading Chip... [----------------------] 000010h   0%");
    f = {8192, 8192, 0x2000, 8064, 4.0};
    EXPECT_EQ(cli::progressLine("Reading Chip...", f, 80),
              "Reading Chip... [######################] 002000h 100%  2.0 KiB/s");
    // A long text on a narrow line gives up the time left, then the rate, then shrinks
    // the bar to ten.
    f = {4096, 8192, 0x1000, 3968, 2.0};
    const std::string verify = "Verify Chip Content With Buffer...";
    EXPECT_EQ(cli::progressLine(verify, f, 80), verify + " [########-------] 001000h  50%  1.9 KiB/s");
    EXPECT_EQ(cli::progressLine(verify, f, 60), verify + " [#####-----] 001000h  50%");
    // The bar keeps its width whatever the figures after it.
    EXPECT_EQ(cli::progressLine("x", {100, 8192, 0, 0, 0.1}, 80).find(']'),
              cli::progressLine("x", {100, 8192, 0, 100, 9.0}, 80).find(']'));
}

TEST(ConsoleStyle, TheStreamsAndOptionsChooseIt) {
    const struct {
        cli::ProgressMode mode;
        bool quiet;
        bool terminal;
        cli::Style style;
    } cases[] = {
        {cli::ProgressMode::Auto, false, true, cli::Style::Bar},
        {cli::ProgressMode::Auto, false, false, cli::Style::Plain},
        {cli::ProgressMode::Auto, true, true, cli::Style::None},
        {cli::ProgressMode::Bar, false, false, cli::Style::Bar},
        {cli::ProgressMode::Plain, false, true, cli::Style::Plain},
        {cli::ProgressMode::Json, true, true, cli::Style::Json}, // -q silences people, not data
        {cli::ProgressMode::None, false, true, cli::Style::None},
    };
    for (const auto& c : cases) {
        cli::CliOptions o;
        o.progress = c.mode;
        o.quiet = c.quiet;
        EXPECT_EQ(cli::styleFor(o, c.terminal), c.style);
    }
}

struct Colour : test::CliTest {};

TEST_F(Colour, OnlyOnATerminalAndNeverWithNoColor) {
    socket("27C256");
    env.adapter.faults.silentFromByte = 1;
    for (const bool terminal : {false, true}) {
        for (const bool noColor : {false, true}) {
            env.stderrTerminal = terminal;
            env.noColor = noColor;
            const auto r = run({"-p", "27C256", "--no-waits", "read", path("x.bin")});
            EXPECT_EQ(r.err.find("\x1b[") != std::string::npos, terminal && !noColor) << r.err;
            EXPECT_NE(r.err.find("Serial Communication Timeout Error !"), std::string::npos);
        }
    }
}

TEST_F(Colour, QuietLeavesOnlyTheFailure) {
    socket("27C256");
    test::writeFile(path("ones.bin"), test::Bytes(100, 1));
    const auto r = run({"-q", "-p", "27C256", "--no-waits", "verify", path("ones.bin")});
    EXPECT_EQ(r.code, 7);
    EXPECT_EQ(r.err, "kestro-cli: NOT EQUAL!  Error: 000000h\n  address 000000h: file 01, chip FF\n");
    EXPECT_EQ(r.out, "");
}

} // namespace
} // namespace kestro
