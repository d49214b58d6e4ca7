// Ctrl+C in kestro-cli: taken at the next point where the adapter can stop cleanly,
// and the exit code and the JSON say what the chip went through.

#include "cli_fixture.h"

#include "support/json_value.h"

namespace kestro {
namespace {

struct CtrlC : test::CliTest {
    // Ctrl+C once `count` step_end events have been written.
    void afterSteps(int count) {
        int ends = 0;
        env.onOut = [this, count, ends](std::string_view line) mutable {
            if (line.find("\"event\":\"step_end\"") != std::string_view::npos && ++ends == count) env.ctrlC = 1;
        };
    }
    // Ctrl+C as the adapter's trace shows the `count`-th line starting with `prefix`.
    void atTrace(std::string prefix, int count = 1, int presses = 1) {
        int seen = 0;
        env.adapter.trace = [this, prefix, count, presses, seen](const std::string& line) mutable {
            if (line.rfind(prefix, 0) == 0 && ++seen == count) env.ctrlC = presses;
        };
    }
    int packets(Command c) const {
        int n = 0;
        for (const auto& p : env.adapter.packets) n += p[kPosCommand] == static_cast<uint8_t>(c);
        return n;
    }
    test::JsonValue result(const std::string& out) {
        const auto lines = test::parseJsonLines(out);
        EXPECT_TRUE(lines) << out;
        return lines ? lines->back() : test::JsonValue{};
    }
    // The steps of the result that completed.
    std::vector<std::string> completed(const test::JsonValue& r) {
        std::vector<std::string> v;
        for (const auto& s : r["steps"].array)
            if (s["ok"].boolean) v.push_back(s["step"].string);
        return v;
    }
};

using Names = std::vector<std::string>;

TEST_F(CtrlC, AtEveryStepBoundaryTheNextStepDoesNotStart) {
    const struct {
        int after;
        Names completed;
        bool programmed, verified;
    } cases[] = {
        {1, {"erase"}, false, false},
        {2, {"erase", "write"}, true, false},
        {3, {"erase", "write", "verify"}, true, true},
    };
    test::writeFile(path("fw.bin"), test::pattern(8192, 5));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        socket("AT89C52");
        env.adapter.packets.clear();
        env.ctrlC = 0;
        afterSteps(c.after);
        const auto r = run({"-p", "AT89C52", "--json", "--no-waits", "erase", "write", path("fw.bin"), "verify", "lock"});
        EXPECT_EQ(r.code, 130) << r.err;
        const test::JsonValue res = result(r.out);
        EXPECT_EQ(completed(res), c.completed);
        EXPECT_EQ(res["steps"].array.size(), c.completed.size()); // the next one never started
        EXPECT_EQ(res["exit_code"].number, 130);
        EXPECT_EQ(packets(Command::ProgramProgram), c.programmed ? 1 : 0);
        EXPECT_EQ(packets(Command::ReadProgram), c.verified ? 1 : 0);
        EXPECT_EQ(packets(Command::ProgramSecurity), 0);
        EXPECT_EQ(env.adapter.chip.lockByte, 0);
        EXPECT_NE((r.err + r.out).find("cancelled before"), std::string::npos) << r.err;
    }
}

// Ctrl+C during identification, before the step's command: nothing reaches the chip.
TEST_F(CtrlC, BeforeTheCommandWentOutTheStepIsNotStarted) {
    test::writeFile(path("fw.bin"), test::pattern(8192, 5));
    const struct {
        std::vector<std::string> args;
        Command command;
    } cases[] = {
        {{"lock"}, Command::ProgramSecurity},
        {{"erase"}, Command::Erase},
        {{"write", path("fw.bin")}, Command::ProgramProgram},
        {{"read", path("x.bin")}, Command::ReadProgram},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        socket("AT89C52");
        env.adapter.chip.memory.assign(env.adapter.chip.memory.size(), 0x5A);
        env.adapter.packets.clear();
        env.ctrlC = 0;
        atTrace("signature");
        std::vector<std::string> args{"-p", "AT89C52", "--json", "--no-waits"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        env.out.clear();
        env.err.clear();
        const int code = cli::runCli(args, env);
        EXPECT_EQ(code, 130) << env.err;
        EXPECT_EQ(packets(c.command), 0);
        EXPECT_EQ(env.adapter.chip.lockByte, 0);
        EXPECT_EQ(env.adapter.chip.memory[0], 0x5A);
        const test::JsonValue res = result(env.out);
        ASSERT_EQ(res["steps"].array.size(), 1u);
        EXPECT_FALSE(res["steps"].array[0]["ok"].boolean);
        EXPECT_EQ(res["steps"].array[0]["exit_code"].number, 130);
        EXPECT_NE((env.err + env.out).find("cancelled: " + c.args.front() + " did not complete"), std::string::npos)
            << env.err;
    }
}

// Once the command is out the step finishes, and says so: the run stops after it.
TEST_F(CtrlC, AStepThatCompletedIsReportedAsCompleted) {
    socket("AT89C52");
    atTrace("lock/polarity byte");
    const auto r = run({"-p", "AT89C52", "--json", "lock", "read", path("x.bin")}); // real waits, virtual clock
    EXPECT_EQ(r.code, 130);
    EXPECT_EQ(env.adapter.chip.lockByte, 7);
    const test::JsonValue res = result(r.out);
    EXPECT_EQ(completed(res), Names{"lock"});
    EXPECT_EQ(res["steps"].array[0]["exit_code"].number, 0);
    EXPECT_EQ(res["exit_code"].number, 130);
    EXPECT_NE((r.err + r.out).find("cancelled: the run stops after lock, which completed"), std::string::npos)
        << r.err;
    EXPECT_EQ(packets(Command::ReadProgram), 0); // the read never started
}

// A transfer cut short says how far it got; a chip programmed only in part is told.
TEST_F(CtrlC, ATransferStopSaysTheAddressReached) {
    test::writeFile(path("fw.bin"), test::pattern(8192, 5));
    const struct {
        std::vector<std::string> args;
        const char* trace;
        std::string said, partly;
    } cases[] = {
        {{"write", path("fw.bin")}, "programmed block 4/", "Programming Chip... interrupted at 000200h (",
         "kestro-cli: the chip is only partly programmed: 000000h to 0001FFh of 000000h to 001FFFh\n"},
        {{"read", path("x.bin")}, "sent block 4/", "Reading Chip... interrupted at 000200h (", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trace);
        socket("AT89C52");
        for (const char* progress : {"plain", "json"}) {
            std::vector<std::string> args{"-p", "AT89C52", "--no-waits", "--progress", progress};
            args.insert(args.end(), c.args.begin(), c.args.end());
            env.ctrlC = 0;
            atTrace(c.trace);
            env.clock.advance(5000); // the adapter forgets the transfer cut short before
            env.out.clear();
            env.err.clear();
            EXPECT_EQ(cli::runCli(args, env), 130);
            EXPECT_EQ(env.err.find("partly programmed") != std::string::npos, !c.partly.empty()) << env.err;
            if (progress == std::string("json")) {
                const auto lines = test::parseJsonLines(env.out);
                ASSERT_TRUE(lines);
                int ends = 0;
                for (const auto& l : *lines) {
                    if (l["event"].string != "operation_end" || l["result"].string != "interrupted") continue;
                    EXPECT_EQ(l["address"].number, 0x200) << env.out;
                    ++ends;
                }
                EXPECT_EQ(ends, 1) << env.out;
                continue;
            }
            EXPECT_NE(env.err.find(c.said), std::string::npos) << env.err;
            if (!c.partly.empty()) {
                EXPECT_NE(env.err.find(c.partly), std::string::npos) << env.err;
            }
        }
    }
}

// The second press ends the program at once (here: asks to) after one line that says
// where the transfer got to.
TEST_F(CtrlC, ASecondPressDuringATransferSaysOneLineAndEnds) {
    socket("AT89C52");
    test::writeFile(path("fw.bin"), test::pattern(8192, 5));
    atTrace("programmed block 4/", 1, 2);
    const auto r = run({"-p", "AT89C52", "--no-waits", "write", path("fw.bin")});
    EXPECT_EQ(env.exitedWith, 130);
    const std::string line =
        "kestro-cli: Programming Chip... ended at once by a second Ctrl+C at 000200h; the chip is only partly programmed\n";
    EXPECT_NE(r.err.find("Programming Chip...\n" + line), std::string::npos) << r.err;
}

TEST_F(CtrlC, AMultiPacketEraseCutShortSaysTheChipIsPartlyErased) {
    for (int presses : {1, 2}) {
        SCOPED_TRACE(presses);
        socket("28F010");
        env.adapter.packets.clear();
        env.ctrlC = 0;
        env.exitedWith = -1;
        int erases = 0;
        env.adapter.trace = [&](const std::string& line) {
            if (line.rfind("chip erased", 0) == 0 && ++erases == 3) env.ctrlC = presses;
        };
        const auto r = run({"-p", "28F010", "--json", "erase"});
        EXPECT_EQ(r.code, 130);
        EXPECT_EQ(packets(Command::Erase), 3);
        EXPECT_EQ(env.exitedWith, -1); // not ended without a word
        EXPECT_NE((r.err + r.out).find("the chip is only partly erased: 3 of 9 erase packets were sent"),
                  std::string::npos)
            << r.err;
        const auto lines = test::parseJsonLines(r.out);
        ASSERT_TRUE(lines);
        bool told = false;
        for (const auto& l : *lines)
            if (l["event"].string == "step_end") {
                told = l["partly_erased"]["sent"].number == 3 && l["partly_erased"]["packets"].number == 9;
                EXPECT_FALSE(l["ok"].boolean);
            }
        EXPECT_TRUE(told) << r.out;
    }
}

TEST_F(CtrlC, ProduceStopsAtTheStepBoundaryAndNamesTheChipsResult) {
    test::writeFile(path("fw.bin"), test::pattern(2048, 4));
    // Per chip: identify, erase, write, verify, lock.
    const struct {
        int after;
        bool good;
    } cases[] = {{1, false}, {2, false}, {3, false}, {4, false}, {5, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        socket("AT89C2051");
        env.adapter.packets.clear();
        env.ctrlC = 0;
        afterSteps(c.after);
        const auto r = run({"-p", "AT89C2051", "--json", "--no-waits", "produce", path("fw.bin"), "--count", "3",
                            "--erase", "--secure", "--journal", path("runs.csv")});
        EXPECT_EQ(r.code, 130) << r.err;
        EXPECT_NE((r.err + r.out).find(c.good ? "produced 1 chips: 1 good, 0 failed" : "produced 1 chips: 0 good, 1 failed"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(packets(Command::ReadSignature) > 0, true);
        EXPECT_EQ(env.adapter.chip.lockByte != 0, c.good); // locked only when the chip was finished
        const std::string journal = test::readFile(path("runs.csv"));
        EXPECT_NE(journal.find(c.good ? ",good,0," : ",cancelled,130,"), std::string::npos) << journal;
        std::filesystem::remove(path("runs.csv"));
    }
}

} // namespace
} // namespace kestro
