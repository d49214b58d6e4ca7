// The fixed waits kestro-cli makes, on a virtual clock: those that only hold a text on
// the window's panel go, those that pace the adapter stay, and the bytes on the line
// are the window's either way.

#include "cli_fixture.h"

#include <vector>

namespace kestro {
namespace {

// The waits as -vv lists them among the bytes.
std::vector<int> waitsSaid(const std::string& err) {
    std::vector<int> waits;
    for (size_t at = err.find("wait "); at != std::string::npos; at = err.find("wait ", at + 1))
        if (at == 0 || err[at - 1] == '\n' || err[at - 1] == ']') waits.push_back(std::atoi(err.c_str() + at + 5));
    return waits;
}

struct Waits : ::testing::Test {
    test::TempDir dir;

    struct Run {
        int code;
        std::vector<int> waits;
        std::vector<uint8_t> received;
        std::string err;
    };
    Run produceOne(bool windowTiming) {
        test::FakeCliEnv env;
        env.adapter.chip = SimChip::blank(*chipByName("AT89C2051"));
        test::writeFile(dir / "fw.bin", test::pattern(2048, 6));
        std::vector<std::string> args{"-p", "AT89C2051", "produce", dir / "fw.bin", "--count", "1", "-vv"};
        if (windowTiming) args.push_back("--window-timing");
        const int code = cli::runCli(args, env);
        return {code, waitsSaid(env.err), env.adapter.received, env.err};
    }
};

TEST_F(Waits, ProduceLeavesOutOnlyTheWaitsThatHoldAText) {
    const Run cli = produceOne(false);
    const Run window = produceOne(true);
    ASSERT_EQ(cli.code, 0) << cli.err;
    ASSERT_EQ(window.code, 0) << window.err;
    // identify: the signature; write: the signature again; verify: before its packet.
    EXPECT_EQ(cli.waits, (std::vector<int>{150, 150, 500}));
    // The same, with "Device: AT89C2051" held twice, the end of Program, and the
    // equal verify held.
    EXPECT_EQ(window.waits, (std::vector<int>{150, 1200, 150, 1200, 500, 500, 2000}));
    EXPECT_EQ(cli.received, window.received);
}

} // namespace
} // namespace kestro
