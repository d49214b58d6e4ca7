// Every chip operation against every line fault of the adapter: the message it ends
// with, the time it takes (virtual: exactly the time-outs and fixed waits it owes, so
// a retry too few or a wait skipped shows too), and that afterwards nothing more went
// to the adapter, the interface is unlocked and the panel gone.
//
// Where a fault is placed: "after the packet" is the first byte the program sends
// after the operation's command packet (for Erase of the AT89C55WD, the first byte
// of its second packet); "in the packet" is the packet's ninth byte. The block faults
// act on every block transfer, the status faults on every programmed block.

#include "ops/ops_fixture.h"
#include "support/chips.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestro {
namespace {

using namespace chips;

using Texts = std::vector<std::string>;
using C = Command;

enum class Op {
    Program,          // Program1Click, verify after program and auto data memory on
    Verify,           // Verify1Click
    ProgramAndVerify, // Program1Click on an encoder
    Erase,            // Erase1Click
    CheckErase,       // CheckErase1Click
    ProgramSecurity,  // ProgramSecurity1Click
    ProgramFuse,      // ProgramFuse1Click
    Read,             // Read1Click (Read Fuse follows)
    Identify,         // Identify1Click
    ReadFuse,         // ReadFuse1Click
};

enum class LineFault {
    SilentAfterPacket,
    SilentInPacket,
    WrongEcho,         // every echo inverted from the first byte after the packet
    BadChecksumOnce,   // the first block's checksum off by one
    BadChecksumAlways, // every block's
    ShortBlockOnce,    // the first block read one byte short
    Status167,         // programmed blocks report 167
    OtherStatus,       // programmed blocks report 0
    HangUp,            // the adapter drops the line at the first byte after the packet
};

struct OpRow {
    Op op;
    const char* name;
    int device; // the same chip sits in the socket
    void (TMyForm::*handler)();
    int lead; // bytes the program sends before the operation's packet (identification)
    std::vector<Command> chain; // the packets of a run without faults
};

// clang-format off
const OpRow kOps[] = {
    {Op::Program,          "Program",          kPic16F84,  &TMyForm::Program1Click,         0,
     {C::ProgramProgram, C::ReadProgram, C::ProgramData, C::ReadData, C::ProgramFuse}},
    {Op::Verify,           "Verify",           kPic16F84,  &TMyForm::Verify1Click,          0,
     {C::ReadProgram}},
    {Op::ProgramAndVerify, "ProgramAndVerify", kHcs301,    &TMyForm::Program1Click,         0,
     {C::ProgramData}},
    {Op::Erase,            "Erase",            kAt89C55WD, &TMyForm::Erase1Click,           17,
     {C::ReadSignature, C::Erase, C::Erase}},
    {Op::CheckErase,       "CheckErase",       k27C256,    &TMyForm::CheckErase1Click,      0,
     {C::ReadData}},
    {Op::ProgramSecurity,  "ProgramSecurity",  kAt89C51,   &TMyForm::ProgramSecurity1Click, 17,
     {C::ReadSignature, C::ProgramSecurity}},
    {Op::ProgramFuse,      "ProgramFuse",      kPic16F84,  &TMyForm::ProgramFuse1Click,     0,
     {C::ProgramFuse}},
    {Op::Read,             "Read",             kPic16F84,  &TMyForm::Read1Click,            0,
     {C::ReadProgram, C::ReadFuse}},
    {Op::Identify,         "Identify",         kAt89C52,   &TMyForm::Identify1Click,        0,
     {C::ReadSignature}},
    {Op::ReadFuse,         "ReadFuse",         kPic16F84,  &TMyForm::ReadFuse1Click,        0,
     {C::ReadFuse}},
};
// clang-format on

constexpr const char* kNone = ""; // the fault cannot touch the operation: it completes
constexpr const char* kTimeout = "Serial Communication Timeout Error !";
constexpr const char* kComm = "Communication Error !";
constexpr const char* kChecksum = "Checksum Error !";
constexpr const char* kProgramming = "Programming Error !";

// Virtual milliseconds.
constexpr int kEcho = 2520;                       // one reply byte waited out
constexpr int kRetry = 800;                       // the pause before a repeat request
constexpr int kSixTries = 6 * kEcho + 5 * kRetry; // a block request never answered
constexpr int kFiveRepeats = 5 * kRetry;          // every attempt answered wrongly
constexpr int kShortRead = 120;                   // a counted read ended by the byte gap
constexpr int kIdent = 150 + 1200;                // signature packet, "Device: ..." shown
// What each run takes without faults: the operations' fixed waits.
constexpr int kProgramChain = 500 + (500 + 2000) + 500 + (500 + 2000) + 1000;
constexpr int kVerify = 500 + 2000, kErase = kIdent + 1000 + 500, kCheckErase = 500 + 2000,
              kSecurity = kIdent + 500, kFuse = 1000, kRead = 500 + 1000, kReadFuse = 1000;

struct Cell {
    Op op;
    LineFault fault;
    const char* message;
    int budgetMs;
};

using F = LineFault;

// clang-format off
const Cell kCells[] = {
    // Program, then Verify, the data pass and Program Fuse: a failed Program sends nothing more.
    {Op::Program, F::SilentAfterPacket, kTimeout,     kEcho},             // no block checksum
    {Op::Program, F::SilentInPacket,    kTimeout,     kEcho},
    {Op::Program, F::WrongEcho,         kComm,        0},                 // the 'l' after block 1
    {Op::Program, F::BadChecksumOnce,   kChecksum,    0},                 // no retry in Program
    {Op::Program, F::BadChecksumAlways, kChecksum,    0},
    {Op::Program, F::ShortBlockOnce,    kNone,        kProgramChain + kEcho + kRetry}, // in Verify
    {Op::Program, F::Status167,         kComm,        0},
    {Op::Program, F::OtherStatus,       kComm,        0},
    {Op::Program, F::HangUp,            kTimeout,     kEcho},

    {Op::Verify, F::SilentAfterPacket, kComm,    500 + kSixTries},
    {Op::Verify, F::SilentInPacket,    kTimeout, 500 + kEcho},
    {Op::Verify, F::WrongEcho,         kComm,    500 + kFiveRepeats},
    {Op::Verify, F::BadChecksumOnce,   kNone,    kVerify + kRetry},
    {Op::Verify, F::BadChecksumAlways, kComm,    500 + kFiveRepeats},
    {Op::Verify, F::ShortBlockOnce,    kNone,    kVerify + kEcho + kRetry}, // bytes read one by one
    {Op::Verify, F::Status167,         kNone,    kVerify},
    {Op::Verify, F::OtherStatus,       kNone,    kVerify},
    {Op::Verify, F::HangUp,            kComm,    500 + kSixTries},

    {Op::ProgramAndVerify, F::SilentAfterPacket, kTimeout,     kEcho},
    {Op::ProgramAndVerify, F::SilentInPacket,    kTimeout,     kEcho},
    {Op::ProgramAndVerify, F::WrongEcho,         kComm,        0},
    {Op::ProgramAndVerify, F::BadChecksumOnce,   kChecksum,    0},
    {Op::ProgramAndVerify, F::BadChecksumAlways, kChecksum,    0},
    {Op::ProgramAndVerify, F::ShortBlockOnce,    kNone,        0},
    {Op::ProgramAndVerify, F::Status167,         kProgramming, 0},
    {Op::ProgramAndVerify, F::OtherStatus,       kComm,        0},
    {Op::ProgramAndVerify, F::HangUp,            kTimeout,     kEcho},

    // The AT89C55WD's second erase packet follows the first wait.
    {Op::Erase, F::SilentAfterPacket, kTimeout, kIdent + 1000 + kEcho},
    {Op::Erase, F::SilentInPacket,    kTimeout, kIdent + kEcho},
    {Op::Erase, F::WrongEcho,         kComm,    kIdent + 1000},
    {Op::Erase, F::BadChecksumOnce,   kNone,    kErase},
    {Op::Erase, F::BadChecksumAlways, kNone,    kErase},
    {Op::Erase, F::ShortBlockOnce,    kNone,    kErase},
    {Op::Erase, F::Status167,         kNone,    kErase},
    {Op::Erase, F::OtherStatus,       kNone,    kErase},
    {Op::Erase, F::HangUp,            kTimeout, kIdent + 1000 + kEcho},

    {Op::CheckErase, F::SilentAfterPacket, kComm,    500 + kSixTries},
    {Op::CheckErase, F::SilentInPacket,    kTimeout, 500 + kEcho},
    {Op::CheckErase, F::WrongEcho,         kComm,    500 + kFiveRepeats},
    {Op::CheckErase, F::BadChecksumOnce,   kNone,    kCheckErase + kRetry},
    {Op::CheckErase, F::BadChecksumAlways, kComm,    500 + kFiveRepeats},
    {Op::CheckErase, F::ShortBlockOnce,    kNone,    kCheckErase + kEcho + kRetry},
    {Op::CheckErase, F::Status167,         kNone,    kCheckErase},
    {Op::CheckErase, F::OtherStatus,       kNone,    kCheckErase},
    {Op::CheckErase, F::HangUp,            kComm,    500 + kSixTries},

    {Op::ProgramSecurity, F::SilentAfterPacket, kTimeout, kIdent + kEcho}, // the lock byte's echo
    {Op::ProgramSecurity, F::SilentInPacket,    kTimeout, kIdent + kEcho},
    {Op::ProgramSecurity, F::WrongEcho,         kComm,    kIdent},
    {Op::ProgramSecurity, F::BadChecksumOnce,   kNone,    kSecurity},
    {Op::ProgramSecurity, F::BadChecksumAlways, kNone,    kSecurity},
    {Op::ProgramSecurity, F::ShortBlockOnce,    kNone,    kSecurity},
    {Op::ProgramSecurity, F::Status167,         kNone,    kSecurity},
    {Op::ProgramSecurity, F::OtherStatus,       kNone,    kSecurity},
    {Op::ProgramSecurity, F::HangUp,            kTimeout, kIdent + kEcho},

    {Op::ProgramFuse, F::SilentAfterPacket, kTimeout, kEcho}, // the first fuse byte's echo
    {Op::ProgramFuse, F::SilentInPacket,    kTimeout, kEcho},
    {Op::ProgramFuse, F::WrongEcho,         kComm,    0},
    {Op::ProgramFuse, F::BadChecksumOnce,   kNone,    kFuse},
    {Op::ProgramFuse, F::BadChecksumAlways, kNone,    kFuse},
    {Op::ProgramFuse, F::ShortBlockOnce,    kNone,    kFuse},
    {Op::ProgramFuse, F::Status167,         kNone,    kFuse},
    {Op::ProgramFuse, F::OtherStatus,       kNone,    kFuse},
    {Op::ProgramFuse, F::HangUp,            kTimeout, kEcho},

    // Read, then Read Fuse: a failed Read sends nothing more.
    {Op::Read, F::SilentAfterPacket, kComm,    kSixTries},
    {Op::Read, F::SilentInPacket,    kTimeout, kEcho},
    {Op::Read, F::WrongEcho,         kComm,    kFiveRepeats},
    {Op::Read, F::BadChecksumOnce,   kNone,    kRead + kRetry},
    {Op::Read, F::BadChecksumAlways, kComm,    kFiveRepeats},
    {Op::Read, F::ShortBlockOnce,    kNone,    kRead + kShortRead + kRetry}, // one counted read
    {Op::Read, F::Status167,         kNone,    kRead},
    {Op::Read, F::OtherStatus,       kNone,    kRead},
    {Op::Read, F::HangUp,            kComm,    kSixTries},

    // Nothing follows the signature packet but the adapter's reply.
    {Op::Identify, F::SilentAfterPacket, kNone,    kIdent},
    {Op::Identify, F::SilentInPacket,    kTimeout, 150 + kEcho},
    {Op::Identify, F::WrongEcho,         kNone,    kIdent},
    {Op::Identify, F::BadChecksumOnce,   kNone,    kIdent},
    {Op::Identify, F::BadChecksumAlways, kNone,    kIdent},
    {Op::Identify, F::ShortBlockOnce,    kNone,    kIdent},
    {Op::Identify, F::Status167,         kNone,    kIdent},
    {Op::Identify, F::OtherStatus,       kNone,    kIdent},
    {Op::Identify, F::HangUp,            kNone,    kIdent},

    // Nor the fuse read packet.
    {Op::ReadFuse, F::SilentAfterPacket, kNone,    kReadFuse},
    {Op::ReadFuse, F::SilentInPacket,    kTimeout, kEcho},
    {Op::ReadFuse, F::WrongEcho,         kNone,    kReadFuse},
    {Op::ReadFuse, F::BadChecksumOnce,   kNone,    kReadFuse},
    {Op::ReadFuse, F::BadChecksumAlways, kNone,    kReadFuse},
    {Op::ReadFuse, F::ShortBlockOnce,    kNone,    kReadFuse},
    {Op::ReadFuse, F::Status167,         kNone,    kReadFuse},
    {Op::ReadFuse, F::OtherStatus,       kNone,    kReadFuse},
    {Op::ReadFuse, F::HangUp,            kNone,    kReadFuse},
};
// clang-format on

const char* faultName(LineFault f) {
    constexpr const char* kNames[] = {"SilentAfterPacket", "SilentInPacket",    "WrongEcho",
                                      "BadChecksumOnce",   "BadChecksumAlways", "ShortBlockOnce",
                                      "Status167",         "OtherStatus",       "HangUp"};
    return kNames[static_cast<size_t>(f)];
}

const OpRow& rowOf(Op op) {
    return *std::find_if(std::begin(kOps), std::end(kOps),
                         [op](const OpRow& r) { return r.op == op; });
}

void PrintTo(const Cell& c, std::ostream* os) {
    *os << rowOf(c.op).name << " with " << faultName(c.fault) << ": \""
        << (*c.message ? c.message : "(completes)") << "\" in " << c.budgetMs << " ms";
}

struct FaultMatrix : test::OpsFixture, ::testing::WithParamInterface<Cell> {
    void prepare(const OpRow& row) {
        selectWithChip(row.device, row.device);
        st.settings.verifyAfterProgram = true;
        st.settings.autoDataMemory = true;
        form.refreshSetupCaptions();
        form.model.control("Edit1").caption = "0000"; // a usable ID for the PIC fuse panel
    }
    void inject(LineFault f, int lead) {
        auto& faults = adapter.faults;
        const auto at = [&](int k) {
            return static_cast<uint32_t>(adapter.received.size() + static_cast<size_t>(lead + k));
        };
        switch (f) {
        case F::SilentAfterPacket:
            faults.silentFromByte = at(18);
            break;
        case F::SilentInPacket:
            faults.silentFromByte = at(9);
            break;
        case F::WrongEcho:
            faults.wrongEchoFromByte = at(18);
            break;
        case F::BadChecksumOnce:
            faults.badBlockChecksum = Repeat::Once;
            break;
        case F::BadChecksumAlways:
            faults.badBlockChecksum = Repeat::Always;
            break;
        case F::ShortBlockOnce:
            faults.shortBlock = Repeat::Once;
            break;
        case F::Status167:
            faults.blockStatus = kBlockFailed;
            break;
        case F::OtherStatus:
            faults.blockStatus = 0;
            break;
        case F::HangUp:
            faults.hangUpAtByte = at(18);
            break;
        }
    }
    std::vector<Command> commands() const {
        std::vector<Command> v;
        for (const auto& p : adapter.packets)
            v.push_back(static_cast<Command>(p[kPosCommand]));
        return v;
    }
};

TEST_P(FaultMatrix, EndsAsItsTableSays) {
    const Cell& cell = GetParam();
    const OpRow& row = rowOf(cell.op);
    prepare(row);
    inject(cell.fault, row.lead);
    size_t sentAtFailure = std::numeric_limits<size_t>::max();
    host.onMessage = [&](const test::ShownMessage&) {
        sentAtFailure = std::min(sentAtFailure, adapter.received.size());
    };
    const uint64_t t0 = host.clock.nowMs;
    (form.*row.handler)();
    const uint64_t elapsed = host.clock.nowMs - t0;

    if (*cell.message) {
        EXPECT_EQ(texts(), Texts{cell.message});
        EXPECT_EQ(adapter.received.size(), sentAtFailure) << "bytes sent after the failure";
    } else {
        EXPECT_TRUE(texts().empty()) << texts().front();
        EXPECT_EQ(commands(), row.chain);
    }
    EXPECT_EQ(elapsed, static_cast<uint64_t>(cell.budgetMs));
    EXPECT_TRUE(unlocked());
    EXPECT_FALSE(form.model.control("ProcPanel").visible);
}

INSTANTIATE_TEST_SUITE_P(, FaultMatrix, ::testing::ValuesIn(kCells),
                         [](const ::testing::TestParamInfo<Cell>& info) {
                             return std::string(rowOf(info.param.op).name) + "_" +
                                    faultName(info.param.fault);
                         });

// The table covers every pair once.
TEST(FaultMatrixTable, HoldsEveryOperationWithEveryFault) {
    constexpr size_t kFaults = static_cast<size_t>(F::HangUp) + 1;
    ASSERT_EQ(std::size(kCells), std::size(kOps) * kFaults);
    for (size_t i = 0; i < std::size(kCells); ++i) {
        EXPECT_EQ(kCells[i].op, kOps[i / kFaults].op) << i;
        EXPECT_EQ(static_cast<size_t>(kCells[i].fault), i % kFaults) << i;
    }
}

} // namespace
} // namespace kestro
