// What the command line offers for a part is what the Process menu offers, and it
// programs only the fuses that came from somewhere.

#include "cli_fixture.h"

#include "support/json_value.h"

namespace kestro {
namespace {

using test::Bytes;

struct Offers : test::CliTest {
    int packets(Command c) const {
        int n = 0;
        for (const auto& p : env.adapter.packets) n += p[kPosCommand] == static_cast<uint8_t>(c);
        return n;
    }
    // A PIC12F675 file: 1024 program words and a configuration word.
    std::string pic12f675Hex() {
        Bytes words;
        for (int w = 0; w < 1024; ++w) {
            const int v = (w * 29 + 3) & 0x3FFF;
            words.push_back(static_cast<uint8_t>(v & 0xFF));
            words.push_back(static_cast<uint8_t>(v >> 8));
        }
        std::vector<std::string> recs;
        for (size_t i = 0; i < words.size(); i += 16)
            recs.push_back(test::record(0, static_cast<uint16_t>(i), Bytes(words.begin() + i, words.begin() + i + 16)));
        std::string text;
        recs.push_back(test::record(0, 0x400E, {0xD4, 0x31}));
        for (const auto& r : recs) text += r + "\n";
        text += test::kEndRecord + "\n";
        const std::string f = path("fw.hex");
        test::writeFile(f, text);
        return f;
    }
};

// Program alone is off for these parts, Erase+Program on: program, "erase write" and
// produce run what the menu runs.
TEST_F(Offers, PartsOnlyEraseProgramReachesAreProgrammedByItsChain) {
    const std::string fw = pic12f675Hex();
    socket("PIC12F675");
    env.adapter.chip.memory.assign(env.adapter.chip.memory.size(), 0x00);
    auto r = run({"-p", "PIC12F675", "--no-waits", "program", fw, "--no-verify"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::Erase), 1);
    EXPECT_EQ(packets(Command::ProgramProgram), 1);
    EXPECT_EQ(packets(Command::ProgramFuse), 1); // the file's configuration word
    EXPECT_EQ(env.adapter.chip.memory[0], 0x00); // word 0 = 0x0003, high byte first
    EXPECT_EQ(env.adapter.chip.memory[1], 0x03);
    EXPECT_EQ(env.adapter.chip.fuses[0], 0xD4);

    env.adapter.packets.clear();
    r = run({"-p", "PIC12F675", "--no-waits", "erase", "write", fw, "verify", fw});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::ProgramProgram), 1);

    r = run({"-p", "PIC12F675", "--no-waits", "write", fw});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("write: the PIC12F675 offers no Program but Erase+Program: 'erase write FILE' or "
                         "'program FILE'"),
              std::string::npos)
        << r.err;

    env.adapter.packets.clear();
    r = run({"-p", "PIC12F675", "--no-waits", "produce", fw, "--count", "1"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::Erase), 1);
    EXPECT_NE(r.err.find("each chip is erased first"), std::string::npos) << r.err;
}

TEST_F(Offers, ProduceRunsOnlyTheStepsTheMenuOffers) {
    socket("HCS301");
    test::writeFile(path("k.bin"), test::pattern(24, 3));
    EXPECT_EQ(run({"-p", "HCS301", "--no-waits", "verify", path("k.bin")}).code, 2); // no Verify in the menu
    const auto r = run({"-p", "HCS301", "--no-waits", "produce", path("k.bin"), "--count", "1"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::ReadData) + packets(Command::ReadProgram), 0); // no separate Verify
    EXPECT_EQ(packets(Command::ReadSignature), 0);                            // nor an Identify
}

TEST_F(Offers, ProgramLeavesFusesNothingGave) {
    socket("ATMEGA8515");
    env.adapter.chip.fuses[0] = 0x98;
    env.adapter.chip.fuses[1] = 0xD1;
    test::writeFile(path("fw.hex"), test::hexFile({test::record(0, 0, test::pattern(64, 1))}));
    auto r = run({"-p", "ATMEGA8515", "--json", "--no-waits", "program", path("fw.hex")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::ProgramFuse), 0);
    EXPECT_EQ(env.adapter.chip.fuses[0], 0x98);
    EXPECT_EQ(env.adapter.chip.fuses[1], 0xD1);
    EXPECT_NE((r.err + r.out).find("fuses not programmed: neither the file nor --fuse"), std::string::npos);
    const auto lines = test::parseJsonLines(r.out);
    ASSERT_TRUE(lines);
    bool said = false;
    for (const auto& l : *lines) said |= l["event"].string == "step_end" && !l["fuses_skipped"].string.empty();
    EXPECT_TRUE(said) << r.out;

    // A read-fuses before: the chip's own bytes go back.
    env.adapter.packets.clear();
    r = run({"-p", "ATMEGA8515", "--no-waits", "read-fuses", "program", path("fw.hex")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::ProgramFuse), 1);
    EXPECT_EQ(env.adapter.chip.fuses[0], 0x98);
    EXPECT_EQ(env.adapter.chip.fuses[1], 0xD1);

    // Fuses beside a binary image are programmed.
    env.adapter.packets.clear();
    test::writeFile(path("fw.bin"), test::pattern(64, 1));
    test::writeFile(path("fw.fus"), Bytes{0xD9, 0x9F});
    r = run({"-p", "ATMEGA8515", "--no-waits", "program", path("fw.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(packets(Command::ProgramFuse), 1);

    r = run({"-p", "ATMEGA8515", "--no-waits", "write-fuses"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("write-fuses: nothing to write"), std::string::npos) << r.err;
}

} // namespace
} // namespace kestro

namespace kestro {
namespace {

using Fit = Offers;

TEST_F(Fit, FilesThatDoNotFitThePartAreRefusedBeforeAnythingIsProgrammed) {
    socket("AT89C52");
    std::vector<std::string> big; // 64 KiB from 0
    for (uint32_t a = 0; a < 0x10000; a += 0x100) big.push_back(test::record(0, static_cast<uint16_t>(a), test::pattern(16, a)));
    std::string text;
    for (const auto& r : big) text += r + "\n";
    test::writeFile(path("big.hex"), text + test::kEndRecord + "\n");
    test::writeFile(path("high.hex"), test::hexFile({test::record(4, 0, {0x00, 0x20}),
                                                     test::record(0, 0, test::pattern(16, 1))}));
    test::writeFile(path("empty.bin"), Bytes{});
    test::writeFile(path("long.bin"), test::pattern(100000, 2));
    const struct {
        const char* file;
        const char* says;
    } cases[] = {
        {"big.hex", ": data at 002000h lies outside the AT89C52 (program memory 8192 bytes)"},
        {"high.hex", ": data at 200000h lies outside the AT89C52"},
        {"empty.bin", "empty.bin holds no data"},
        {"long.bin", ": 100000 bytes do not fit the 8192 bytes of the AT89C52"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        env.adapter.packets.clear();
        const auto r = run({"-p", "AT89C52", "--no-waits", "program", path(c.file)});
        EXPECT_EQ(r.code, 3);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(packets(Command::ProgramProgram), 0);
    }

    test::writeFile(path("short.bin"), test::pattern(1000, 3));
    const auto r = run({"-p", "AT89C52", "--no-waits", "write", path("short.bin")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("short.bin covers 1000 of the 8192 bytes"), std::string::npos) << r.err;

    // Production checks before the first chip.
    socket("AT89C2051");
    env.adapter.packets.clear();
    test::writeFile(path("fw8k.bin"), test::pattern(8192, 4));
    const auto p = run({"-p", "AT89C2051", "--no-waits", "produce", path("fw8k.bin"), "--count", "3"});
    EXPECT_EQ(p.code, 3);
    EXPECT_EQ(p.err.find("good"), std::string::npos) << p.err;
    EXPECT_TRUE(env.adapter.packets.size() <= 1u); // at most the handshake
}

TEST_F(Fit, WhatThePicLoaderLeavesOutOnPurposeIsNoDataOutsideThePart) {
    // srec_cat and other exports merge the ID words and the configuration word into one
    // record, the reserved words and the device ID between them erased 14-bit words.
    socket("PIC16F84");
    const std::string code = test::record(0, 0, {0x83, 0x16});
    test::writeFile(path("merged.hex"), test::hexFile({code, ":1040000001000A0002000B00FF3FFF3FFF3FF23FAD"}));
    auto r = run({"-p", "PIC16F84", "--no-waits", "program", path("merged.hex")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::slice(env.adapter.chip.fuses, 0, 4), (Bytes{0xF2, 0x3F, 0x1A, 0x2B}));
    EXPECT_EQ(test::slice(env.adapter.chip.memory, 0, 2), (Bytes{0x16, 0x83}));

    // The device ID a tool wrote is the chip's own, whatever it holds.
    test::writeFile(path("devid.hex"), test::hexFile({code, test::record(0, 0x400C, {0x83, 0x05})}));
    r = run({"-p", "PIC16F84", "--no-waits", "write", path("devid.hex")});
    EXPECT_EQ(r.code, 0) << r.err;

    // A word past the configuration word that is not erased is data the part has no place for.
    test::writeFile(path("past.hex"), test::hexFile({code, test::record(0, 0x4010, {0xFF, 0x3F, 0x12, 0x34})}));
    r = run({"-p", "PIC16F84", "--no-waits", "write", path("past.hex")});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("past.hex: data at 004012h lies outside the PIC16F84"), std::string::npos) << r.err;
}

} // namespace
} // namespace kestro

namespace kestro {
namespace {

using ReadAll = Offers;

TEST_F(ReadAll, ReadSavesEveryMemoryItReadAndOnlyThat) {
    socket("ATMEGA8515");
    for (size_t i = 0; i < env.adapter.chip.data.size(); ++i) env.adapter.chip.data[i] = static_cast<uint8_t>(i * 7);
    auto r = run({"-p", "ATMEGA8515", "--no-waits", "read", path("chip.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::readBytes(path("chip.eep")), env.adapter.chip.data); // read, not FF
    EXPECT_TRUE(std::filesystem::exists(path("chip.fus")));

    socket("PIC16F84");
    for (size_t i = 0; i < 64; ++i) env.adapter.chip.data[i] = static_cast<uint8_t>(0xA0 + i);
    r = run({"-p", "PIC16F84", "--no-waits", "read", path("all.hex")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string all = test::readFile(path("all.hex"));
    EXPECT_NE(all.find(":10420000A000A100"), std::string::npos) << all; // the data EEPROM as read

    r = run({"-p", "PIC16F84", "--no-waits", "--data", "read", path("d.hex")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string d = test::readFile(path("d.hex"));
    EXPECT_NE(d.find(":10420000A000A100"), std::string::npos) << d;
    EXPECT_EQ(d.find(":10000000"), std::string::npos) << d; // no program words it never read
}

} // namespace
} // namespace kestro

namespace kestro {
namespace {

using SimFuses = Offers;

// The simulated chip reads its fuses back as a real one does, so a read and a write
// of them leave the chip as it was.
TEST_F(SimFuses, AReadFusesWriteFusesRoundTripKeepsTheChipsFuses) {
    for (const char* part : {"AT90S2313", "AT90S1200", "AT89S8252"}) {
        SCOPED_TRACE(part);
        socket(part);
        for (uint8_t programmed : {0xDE, 0xDF, 0xFE, 0xFF}) {
            env.adapter.chip.fuses[0] = programmed;
            const auto r = run({"-p", part, "--no-waits", "read-fuses", "write-fuses"});
            ASSERT_EQ(r.code, 0) << r.err;
            const uint8_t used = std::string_view(part) == "AT89S8252" ? 0x01 : 0x21;
            EXPECT_EQ(env.adapter.chip.fuses[0] & used, programmed & used) << int(programmed);
        }
    }
}

} // namespace
} // namespace kestro
