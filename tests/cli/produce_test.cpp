// Production: serial numbers in the image, a journal that survives a crash, and the
// loop chip after chip.

#include "cli_fixture.h"

#include "cli/produce.h"
#include "support/child_process.h"
#include "support/json_value.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <thread>

namespace kestro {
namespace {

using test::Bytes;

TEST(SerialNumbers, PlansAndTheBytesEachFormatTakes) {
    std::string error;
    const auto s = cli::parseSerialPlan("0x7FC:1000:5:bcd", error);
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->address, 0x7FCu);
    EXPECT_EQ(s->start, 1000u);
    EXPECT_EQ(s->step, 5u);
    EXPECT_EQ(s->format, cli::SerialFormat::Bcd);
    const auto d = cli::parseSerialPlan("16", error);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->start, 1u);
    EXPECT_EQ(d->format, cli::SerialFormat::Le32);

    const struct {
        const char* desc;
        const char* error;
    } bad[] = {{"", "--serial wants ADDR[:START[:STEP[:FORMAT]]], not ''"},
               {"0x10:1:1:le32:x", "--serial wants ADDR[:START[:STEP[:FORMAT]]], not '0x10:1:1:le32:x'"},
               {"0x10:abc", "--serial: START is a number, not 'abc'"},
               {"0x10:1:0", "--serial: STEP is a number from 1, not '0'"},
               {"0x10:1:1:hex", "--serial: FORMAT is le32, be32, ascii or bcd, not 'hex'"},
               {"0x10:100000000:1:ascii", "--serial: START does not fit the format"}};
    for (const auto& c : bad) {
        EXPECT_FALSE(cli::parseSerialPlan(c.desc, error)) << c.desc;
        EXPECT_EQ(error, c.error);
    }

    using F = cli::SerialFormat;
    EXPECT_EQ(cli::serialBytes(F::Le32, 0x12345678), (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(cli::serialBytes(F::Be32, 0x12345678), (Bytes{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(cli::serialBytes(F::Ascii, 1234), (Bytes{'0', '0', '0', '0', '1', '2', '3', '4'}));
    EXPECT_EQ(cli::serialBytes(F::Bcd, 12345678), (Bytes{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(cli::serialBytes(F::Bcd, 42), (Bytes{0x00, 0x00, 0x00, 0x42}));
    EXPECT_TRUE(cli::serialBytes(F::Le32, 0x100000000ull).empty());
    EXPECT_TRUE(cli::serialBytes(F::Bcd, 100000000).empty());
}

TEST(Journal, TheNextSerialComesAfterAnyOneReservedBefore) {
    test::TempDir dir;
    const std::string j = dir / "runs.csv";
    EXPECT_FALSE(cli::lastJournalSerial(j));
    ASSERT_TRUE(cli::appendJournalLine(j, "time,serial,result,exit_code,crc32"));
    ASSERT_TRUE(cli::appendJournalLine(j, "2024-01-01T00:00:00Z,7,reserved,,"));
    ASSERT_TRUE(cli::appendJournalLine(j, "2024-01-01T00:00:01Z,7,good,0,12345678"));
    // A crash after reserving 9: no result line, and 9 is never handed out again.
    ASSERT_TRUE(cli::appendJournalLine(j, "2024-01-01T00:00:02Z,9,reserved,,"));
    EXPECT_EQ(cli::lastJournalSerial(j), 9u);
    EXPECT_EQ(cli::isoTime(1'700'000'000), "2023-11-14T22:13:20Z");
}

std::vector<std::string> journalLines(const std::string& path) {
    std::istringstream in(test::readFile(path));
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// Each thread takes its numbers through the journal, as a run per adapter would.
TEST(Journal, ThreadsSharingItNeverTakeTheSameNumber) {
    test::TempDir dir;
    const std::string j = dir / "runs.csv";
    ASSERT_TRUE(cli::startJournal(j));
    ASSERT_TRUE(cli::startJournal(j)); // one header, whoever starts first
    const cli::SerialPlan plan{0, 100, 3, cli::SerialFormat::Le32};
    std::vector<std::vector<uint64_t>> taken(4);
    std::vector<std::thread> threads;
    for (auto& mine : taken)
        threads.emplace_back([&plan, &j, &mine] {
            uint64_t next = plan.start;
            std::string reason;
            for (int i = 0; i < 25; ++i) {
                uint64_t serial = next;
                if (!cli::reserveSerial(j, plan, serial, "2026-12-08T03:00:00Z", "COM1", reason)) return;
                mine.push_back(serial);
                next = serial + plan.step;
            }
        });
    for (auto& t : threads) t.join();
    std::set<uint64_t> all;
    for (const auto& mine : taken) {
        EXPECT_EQ(mine.size(), 25u);
        all.insert(mine.begin(), mine.end());
    }
    ASSERT_EQ(all.size(), 100u);
    EXPECT_EQ(*all.begin(), 100u);
    EXPECT_EQ(*all.rbegin(), 100u + 99 * 3);
    const auto lines = journalLines(j);
    ASSERT_EQ(lines.size(), 101u);
    EXPECT_EQ(lines[0], "time,serial,result,exit_code,crc32,adapter");
    EXPECT_EQ(lines[1], "2026-12-08T03:00:00Z,100,reserved,,,COM1");

    // A number past the format's end is not reserved.
    const cli::SerialPlan ascii{0, 1, 1, cli::SerialFormat::Ascii};
    ASSERT_TRUE(cli::appendJournalLine(j, "2026-12-08T03:00:01Z,99999999,good,0,00000000"));
    uint64_t serial = 1;
    std::string reason;
    EXPECT_FALSE(cli::reserveSerial(j, ascii, serial, "t", "COM1", reason));
    EXPECT_EQ(serial, 100000000u);
    EXPECT_EQ(reason, "");
    EXPECT_EQ(journalLines(j).size(), 102u);
    EXPECT_FALSE(cli::reserveSerial(dir / "no/such/folder.csv", plan, serial, "t", "COM1", reason));
    EXPECT_EQ(reason, "No such file or directory");
}

// Four production runs, as on four adapters, sharing one journal at the same time.
TEST(ProduceRuns, FourProcessesOnOneJournalNeverShareASerialNumber) {
    test::TempDir dir;
    const std::string j = dir / "runs.csv", fw = dir / "fw.bin";
    test::writeFile(fw, test::pattern(2048, 4));
    std::vector<std::unique_ptr<test::Child>> runs;
    for (int i = 0; i < 4; ++i)
        runs.push_back(std::make_unique<test::Child>(
            KESTRO_CLI_PROGRAM,
            std::vector<std::string>{"--simulate=AT89C2051", "--no-waits", "-q", "produce", fw, "--count", "15",
                                     "--serial", "0x7F0:0x100", "--journal", j},
            std::map<std::string, std::string>{{"NO_COLOR", "1"}}));
    for (auto& run : runs) {
        const auto r = run->finish();
        EXPECT_EQ(r.status, 0) << r.err;
    }
    const auto lines = journalLines(j);
    ASSERT_EQ(lines.size(), 1u + 2 * 60);
    EXPECT_EQ(lines[0], "time,serial,result,exit_code,crc32,adapter");
    std::set<std::string> reserved, good;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        const size_t a = l.find(','), b = l.find(',', a + 1);
        const std::string serial = l.substr(a + 1, b - a - 1), rest = l.substr(b + 1);
        if (rest.starts_with("reserved")) EXPECT_TRUE(reserved.insert(serial).second) << serial << " twice";
        else if (rest.starts_with("good,0,")) EXPECT_TRUE(good.insert(serial).second) << serial << " twice";
        else ADD_FAILURE() << l;
    }
    EXPECT_EQ(reserved.size(), 60u);
    EXPECT_EQ(good, reserved);
    EXPECT_TRUE(reserved.count("256") && reserved.count("315")) << lines.back(); // 0x100 on, none skipped
}

struct Produce : test::CliTest {
    std::vector<std::string> journal() { return journalLines(path("runs.csv")); }
    // The second chip put in the socket is an AT89C51 where an AT89C52 is produced.
    void secondChipIsTheWrongOne() {
        int chip = 0;
        env.adapter.trace = [this, chip](const std::string& line) mutable {
            if (line.rfind("signature", 0) == 0 && ++chip == 2) env.adapter.chip.device = *chipByName("AT89C51");
            if (line.rfind("signature", 0) == 0 && chip == 3) env.adapter.chip.device = *chipByName("AT89C52");
        };
    }
};

TEST_F(Produce, ThreeChipsWithSerialNumbersAndAJournal) {
    socket("AT89C52");
    test::writeFile(path("fw.bin"), test::pattern(2048, 3));
    auto r = run({"-p", "AT89C52", "--no-waits", "--json", "produce", path("fw.bin"), "--count", "3", "--serial",
                  "0x100:41:2:be32", "--journal", path("runs.csv")});
    ASSERT_EQ(r.code, 0) << r.err;
    // The chip holds the last serial number: 41, 43, 45.
    EXPECT_EQ(Bytes(env.adapter.chip.memory.begin() + 0x100, env.adapter.chip.memory.begin() + 0x104),
              (Bytes{0, 0, 0, 45}));
    EXPECT_EQ(env.adapter.chip.memory[0x0FF], test::pattern(2048, 3)[0x0FF]);
    const auto lines = journal();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "time,serial,result,exit_code,crc32,adapter");
    EXPECT_NE(lines[1].find(",41,reserved,,"), std::string::npos);
    EXPECT_NE(lines[2].find(",41,good,0,"), std::string::npos);
    EXPECT_NE(lines[6].find(",45,good,0,"), std::string::npos);
    const auto crcOf = [](const std::string& l) { return l.substr(l.size() - 13, 8); }; // ...,CRC,COM1
    EXPECT_TRUE(lines[2].ends_with(",COM1")) << lines[2];
    EXPECT_NE(crcOf(lines[2]), crcOf(lines[4])); // each CRC its own
    const auto ev = test::parseJsonLines(r.out);
    ASSERT_TRUE(ev);
    const test::JsonValue& result = ev->back();
    EXPECT_EQ(result["produce"]["good"].integer(), 3);
    EXPECT_EQ(result["produce"]["first_serial"].integer(), 41);
    EXPECT_EQ(result["produce"]["last_serial"].integer(), 45);

    // The next run goes on after the journal, whatever START says.
    r = run({"-p", "AT89C52", "--no-waits", "produce", path("fw.bin"), "--count", "1", "--serial",
             "0x100:41:2:be32", "--journal", path("runs.csv")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(env.adapter.chip.memory[0x103], 47);
    EXPECT_NE(r.err.find("serial numbers go on at 47 after the journal"), std::string::npos);
}

TEST_F(Produce, AFailedChipIsCountedAndTheLoopGoesOn) {
    socket("AT89C52");
    test::writeFile(path("fw.bin"), test::pattern(512, 3));
    env.stdinTerminal = true;
    env.input = {"", "", "q"};
    secondChipIsTheWrongOne();
    const auto r = run({"-p", "AT89C52", "--no-waits", "produce", path("fw.bin"), "--journal", path("runs.csv")});
    EXPECT_EQ(r.code, 6);
    EXPECT_NE(r.err.find("Chip 1: put it in the socket and press Enter (q to stop) "), std::string::npos);
    EXPECT_NE(r.err.find("chip 2: failed, exit 6 (chip)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("produced 2 chips: 1 good, 1 failed"), std::string::npos) << r.err;
    const auto lines = journal();
    ASSERT_EQ(lines.size(), 3u); // no serial numbers: no reservations
    EXPECT_NE(lines[1].find(",,good,0,"), std::string::npos);
    EXPECT_NE(lines[2].find(",,failed,6,"), std::string::npos);
}

TEST_F(Produce, AChipRefusedAtIdentificationTakesNoSerialNumber) {
    socket("AT89C52");
    test::writeFile(path("fw.bin"), test::pattern(512, 3));
    secondChipIsTheWrongOne();
    const auto r = run({"-p", "AT89C52", "--no-waits", "produce", path("fw.bin"), "--count", "3", "--serial",
                        "0x10:7", "--journal", path("runs.csv")});
    EXPECT_EQ(r.code, 6);
    EXPECT_NE(r.err.find("chip 2: failed, exit 6 (chip)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("chip 3 (serial 8): good"), std::string::npos) << r.err;
    EXPECT_EQ(env.adapter.chip.memory[0x10], 8);
    const auto lines = journal();
    ASSERT_EQ(lines.size(), 6u);
    const char* expected[] = {",7,reserved,,", ",7,good,0,", ",,failed,6,", ",8,reserved,,", ",8,good,0,"};
    for (size_t i = 0; i < 5; ++i) EXPECT_NE(lines[i + 1].find(expected[i]), std::string::npos) << lines[i + 1];
}

// Typed at a terminal the answer ends the prompt's line; from a pipe nothing does.
TEST_F(Produce, APromptEndsItsLineWhenStdinIsNoTerminal) {
    socket("AT89C52");
    test::writeFile(path("fw.bin"), test::pattern(512, 3));
    const std::string prompt = "Chip 1: put it in the socket and press Enter (q to stop)";
    for (bool terminal : {false, true}) {
        env.stdinTerminal = terminal;
        env.input = {"q"};
        const auto r = run({"-p", "AT89C52", "--no-waits", "produce", path("fw.bin")});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find(prompt + (terminal ? " produced" : "\nproduced")), std::string::npos) << r.err;
    }
}

} // namespace
} // namespace kestro

namespace kestro {
namespace {

TEST(JournalLines, EachRecordIsAWholeLineOfItsOwn) {
    test::TempDir dir;
    const std::string j = dir / "runs.csv";
    test::writeFile(j, std::string("time,serial,result,exit_code,crc32\n2026-12-07T03:20:05Z,2000,good,0,9F12CC04"));
    ASSERT_TRUE(cli::appendJournalLine(j, "2026-12-07T03:20:06Z,2001,reserved,,"));
    EXPECT_EQ(test::readFile(j), "time,serial,result,exit_code,crc32\n2026-12-07T03:20:05Z,2000,good,0,9F12CC04\n"
                                 "2026-12-07T03:20:06Z,2001,reserved,,\n");
    EXPECT_EQ(cli::lastJournalSerial(j), 2001u);

    std::string reason;
    EXPECT_FALSE(cli::appendJournalLine("/dev/full", "x", &reason));
    EXPECT_EQ(reason, "No space left on device");
    EXPECT_FALSE(cli::appendJournalLine(dir / "no/such/folder.csv", "x", &reason));
    EXPECT_EQ(reason, "No such file or directory");

    // Through a link only onto a journal: records never go into an unrelated file.
    const std::string passwd = "root:x:0:0:root:/root:/bin/bash\n";
    test::writeFile(dir / "passwd", passwd);
    std::filesystem::create_symlink(dir / "passwd", dir / "stray.csv");
    EXPECT_FALSE(cli::appendJournalLine(dir / "stray.csv", "x", &reason));
    EXPECT_EQ(reason, "a link to a file that is no journal");
    EXPECT_FALSE(cli::startJournal(dir / "stray.csv", &reason));
    EXPECT_EQ(test::readFile(dir / "passwd"), passwd);
    std::filesystem::create_symlink(j, dir / "kept.csv");
    EXPECT_TRUE(cli::appendJournalLine(dir / "kept.csv", "2026-12-07T03:20:07Z,2002,reserved,,"));
    EXPECT_EQ(cli::lastJournalSerial(j), 2002u);
}

// A file system that fills in the middle of a record: the record is taken back whole.
TEST(JournalLines, AFullDiskLeavesNoPartialLine) {
    test::TempDir dir;
    const std::string mnt = dir / "small";
    std::filesystem::create_directory(mnt);
    if (::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "no tmpfs to fill here: " << std::strerror(errno);
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{mnt};
    const std::string j = mnt + "/runs.csv";
    const std::string head(8192 - 20, 'x');
    ASSERT_TRUE(cli::appendJournalLine(j, head.substr(0, head.size() - 1)));
    std::string reason;
    EXPECT_FALSE(cli::appendJournalLine(j, std::string(100, 'y'), &reason));
    EXPECT_EQ(reason, "No space left on device");
    EXPECT_EQ(test::readFile(j), head.substr(0, head.size() - 1) + "\n"); // nothing of the record
}

} // namespace
} // namespace kestro
