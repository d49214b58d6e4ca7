// The simulator's faults by name, as kestro-sim and the command line take them.

#include "sim/fault_options.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(FaultOptions, SettingsSetTheirFault) {
    AdapterFaults f;
    std::string error;
    for (const char* desc : {"silent-from=100", "wrong-echo-from=7", "hang-up-at=3",
                             "bad-checksum=once", "short-block=always", "status-167"})
        EXPECT_TRUE(applyFaultSetting(desc, f, error)) << desc << ": " << error;
    EXPECT_EQ(f.silentFromByte, 100u);
    EXPECT_EQ(f.wrongEchoFromByte, 7u);
    EXPECT_EQ(f.hangUpAtByte, 3u);
    EXPECT_EQ(f.badBlockChecksum, Repeat::Once);
    EXPECT_EQ(f.shortBlock, Repeat::Always);
    EXPECT_EQ(f.blockStatus, kBlockFailed);
    EXPECT_TRUE(applyFaultSetting("block-status=77", f, error)) << error;
    EXPECT_EQ(f.blockStatus, 77);
    EXPECT_FALSE(applyFaultSetting("block-status=256", f, error));
    EXPECT_EQ(faultOptions().size(), 7u);
}

TEST(FaultOptions, BadSettingsSayWhy) {
    const struct {
        const char* desc;
        const char* error;
    } cases[] = {
        {"silent-from=0", "silent-from wants a number from 1 to 4294967295, not '0'"},
        {"silent-from=12x", "silent-from wants a number from 1 to 4294967295, not '12x'"},
        {"hang-up-at=", "hang-up-at wants a number from 1 to 4294967295, not ''"},
        {"hang-up-at=99999999999", "hang-up-at wants a number from 1 to 4294967295, not '99999999999'"},
        {"bad-checksum=twice", "bad-checksum wants once or always, not 'twice'"},
        {"silent-from", "silent-from wants a value: silent-from=K"},
        {"melt=1", "no fault named 'melt'"},
    };
    for (const auto& c : cases) {
        AdapterFaults f;
        std::string error;
        EXPECT_FALSE(applyFaultSetting(c.desc, f, error)) << c.desc;
        EXPECT_EQ(error, c.error);
    }
}

} // namespace
} // namespace kestro
