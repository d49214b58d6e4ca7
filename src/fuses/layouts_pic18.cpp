// The PIC18 configuration layout: fourteen configuration bytes read directly, item
// lists by device group, a small view in the right-hand panel and a large view over
// the whole window. The fill is the table; the read-back is the chip's byte sums.

#include "fuses/layouts.h"

namespace kestro {
namespace {

using namespace fuse_groups;

constexpr Devices kAll = kEveryDevice;

constexpr std::string_view kOscillator[] = {
    "LP", "XT", "HS", "RC", "EC (OSC2=CLKOUT)", "EC (OSC2=R6)", "HS (PLL)", "RC (OSC2=R6)"};
constexpr std::string_view kOscillator6680[] = {"LP",
                                                "XT",
                                                "HS",
                                                "RC",
                                                "EC (OSC2=CLKOUT)",
                                                "EC (OSC2=R6)",
                                                "HS (HWPLL)",
                                                "RC (OSC2=R6)",
                                                "EC (OSC2=R6, HWPLL)",
                                                "EC (OSC2=R6, SWPLL)",
                                                "HS (SWPLL)",
                                                "RC (OSC2=R6)"};
constexpr std::string_view kPrescaler[] = {
    "1:1",   "1:2",   "1:4",    "1:8",    "1:16",   "1:32",   "1:64",    "1:128",
    "1:256", "1:512", "1:1024", "1:2048", "1:4096", "1:8192", "1:16384", "1:32768"};
constexpr std::string_view kBrownOut[] = {"4.5V", "4.2V", "2.7V", "2.0V"};

// Oscillator value v = cfg 1 bits 0 to 3 on 101: 12 to 15 select items 8 to 11.
constexpr Pattern k6680Oscillator[] = {{12, 8}, {13, 9}, {14, 10}, {15, 11}};

constexpr ListRow kLists[] = {
    {k92To100,
     0,
     0,
     kOscillator,
     230,
     ListFill::Bits,
     {bit(cfg(1, 0)), bit(cfg(1, 1)), bit(cfg(1, 2))}},
    {k6680,
     0,
     0,
     kOscillator6680,
     230,
     ListFill::Bits,
     {bit(cfg(1, 0)), bit(cfg(1, 1)), bit(cfg(1, 2)), bit(cfg(1, 3))},
     k6680Oscillator},
    {k92To100,
     1,
     1,
     Items(kPrescaler).first(8),
     230,
     ListFill::Bits,
     {bit(cfg(3, 1)), bit(cfg(3, 2)), bit(cfg(3, 3))}},
    {k6680,
     1,
     1,
     kPrescaler,
     230,
     ListFill::Bits,
     {bit(cfg(3, 1)), bit(cfg(3, 2)), bit(cfg(3, 3)), bit(cfg(3, 4))}},
    {kAll, 2, 2, kBrownOut, 230, ListFill::Bits, {bit(cfg(2, 2)), bit(cfg(2, 3))}},
};

constexpr int kFuses = 0, kCode = 1, kWrite = 2, kRead = 3; // check-box lists

// A protection item is checked when its bit is 0, the chip's programmed state.
constexpr ItemRow kItems[] = {
    {kAll, kFuses, "T1 osc enable", inv(cfg(1, 5))},
    {kAll, kFuses, "Brown-out enable", bit(cfg(2, 1))},
    {kAll, kFuses, "Power-up enable", inv(cfg(2, 0))},
    {kAll, kFuses, "Watchdog enable", bit(cfg(3, 0))},
    {kAll, kFuses, "Debugger enable", inv(cfg(6, 7))},
    {kAll, kFuses, "LVP enable", bit(cfg(6, 2))},
    {kAll, kFuses, "Stack ovf reset", bit(cfg(6, 0))},
    {kCcp2Mux, kFuses, "CCP2 MUX RB3/RC1", bit(cfg(5, 0))},
    {k6680, kFuses, "MCLR enable", bit(cfg(5, 7))},

    {kTwoBlocks, kCode, "ON 0200h-1FFFh", inv(cfg(8, 0))},
    {kTwoBlocks, kCode, "ON 2000h-3FFFh", inv(cfg(8, 1))},
    {kTwoBlocks, kCode, "ON 0000h-01FFh", inv(cfg(9, 6))},
    {kTwoBlocks, kCode, "Data memory", inv(cfg(9, 7))},
    {kTwoBlocks, kWrite, "ON 0200h-1FFFh", inv(cfg(10, 0))},
    {kTwoBlocks, kWrite, "ON 2000h-3FFFh", inv(cfg(10, 1))},
    {kTwoBlocks, kWrite, "CONFIG Register", inv(cfg(11, 5))},
    {kTwoBlocks, kWrite, "ON 0000h-01FFh", inv(cfg(11, 6))},
    {kTwoBlocks, kWrite, "Data memory", inv(cfg(11, 7))},
    {kTwoBlocks, kRead, "ON 0200h-1FFFh", inv(cfg(12, 0))},
    {kTwoBlocks, kRead, "ON 2000h-3FFFh", inv(cfg(12, 1))},
    {kTwoBlocks, kRead, "ON 0000h-01FFh", inv(cfg(13, 6))},

    {kFourBlocks, kCode, "ON 0200h-1FFFh", inv(cfg(8, 0))},
    {kFourBlocks, kCode, "ON 2000h-3FFFh", inv(cfg(8, 1))},
    {kFourBlocks, kCode, "ON 4000h-5FFFh", inv(cfg(8, 2))},
    {kFourBlocks, kCode, "ON 6000h-7FFFh", inv(cfg(8, 3))},
    {kFourBlocks, kCode, "ON 0000h-01FFh", inv(cfg(9, 6))},
    {kFourBlocks, kCode, "Data memory", inv(cfg(9, 7))},
    {kFourBlocks, kWrite, "ON 0200h-1FFFh", inv(cfg(10, 0))},
    {kFourBlocks, kWrite, "ON 2000h-3FFFh", inv(cfg(10, 1))},
    {kFourBlocks, kWrite, "ON 4000h-5FFFh", inv(cfg(10, 2))},
    {kFourBlocks, kWrite, "ON 6000h-7FFFh", inv(cfg(10, 3))},
    {kFourBlocks, kWrite, "CONFIG Register", inv(cfg(11, 5))},
    {kFourBlocks, kWrite, "ON 0000h-01FFh", inv(cfg(11, 6))},
    {kFourBlocks, kWrite, "Data memory", inv(cfg(11, 7))},
    {kFourBlocks, kRead, "ON 0200h-1FFFh", inv(cfg(12, 0))},
    {kFourBlocks, kRead, "ON 2000h-3FFFh", inv(cfg(12, 1))},
    {kFourBlocks, kRead, "ON 4000h-5FFFh", inv(cfg(12, 2))},
    {kFourBlocks, kRead, "ON 6000h-7FFFh", inv(cfg(12, 3))},
    {kFourBlocks, kRead, "ON 0000h-01FFh", inv(cfg(13, 6))},
};

// Small view: top and height; large view: left, top, height. The first three groups
// stay where they are.
constexpr GroupRow kGroups[] = {
    {kAll, 0, "Oscillator:", 30, 45},
    {kAll, 1, "Watchdog Prescaler:", 80, 45},
    {kAll, 2, "Brown-out Voltage:", 130, 45},
    {kAll, 3, "Fuses:", 180, 50, {255, 30, 140}},
    {kAll, 4, "Code Protect:", 235, 50, {255, 190, 140}},
    {kAll, 5, "Write Protect:", 290, 50, {505, 30, 140}},
    {kAll, 6, "Read Protect:", 345, 50, {505, 190, 140}},
    {kAll, 7, "ID:", 410, 45, {5, 190, 45}},
};
constexpr CheckListRow kCheckLists[] = {
    {kFuses, 3, 30, 120}, {kCode, 4, 30, 120}, {kWrite, 5, 30, 120}, {kRead, 6, 30, 120}};

// SetPanel, then ConfigLargeButton's corner and caption: small view, large view.
constexpr ViewToggle kViews{
    {{505, 0, 250, 458}, {0, 0, 755, 409}}, {{175, 0}, {680, 0}}, {"Large Size", "OK"}};

// c(i) is 1 when item i of a check-box list is checked, n(i) when it is not; sums
// are modulo 256, as the chip's bytes are built.
void pic18Sums(int device, const FuseValues& v, FuseBytes& b) {
    const auto c = [&v](int list, int i) { return v.checked(list, i) ? 1 : 0; };
    const auto n = [&v](int list, int i) { return v.checked(list, i) ? 0 : 1; };
    const auto put = [&b](int k, int sum) {
        b.config[static_cast<size_t>(k)] = static_cast<uint8_t>(sum);
    };
    const int oscillator = v.list[0], prescaler = v.list[1], brownOut = v.list[2];
    if (k6680.contains(device)) {
        // 0xD8 would carry a four-bit value into bits 4 and 5: 0xD0 keeps bits 0 to 3
        // for the value, which fills back to the same item.
        put(1, 0xD0 + 32 * n(kFuses, 0) + (oscillator > 7 ? oscillator + 4 : oscillator));
    } else {
        put(1, 0xD8 + 32 * n(kFuses, 0) + oscillator);
    }
    put(2, 0xF0 + 4 * brownOut + 2 * c(kFuses, 1) + n(kFuses, 2));
    put(3, 0xE0 + 2 * prescaler + c(kFuses, 3));
    if (kCcp2Mux.contains(device))
        put(5, 0xFE + c(kFuses, 7));
    else if (k6680.contains(device))
        put(5, 0x7F + 128 * c(kFuses, 7));
    put(6, 0x7A + 128 * n(kFuses, 4) + 4 * c(kFuses, 5) + c(kFuses, 6));
    if (kTwoBlocks.contains(device)) {
        put(8, 0xFC + 2 * n(kCode, 1) + n(kCode, 0));
        put(9, 0x3F + 128 * n(kCode, 3) + 64 * n(kCode, 2));
        put(10, 0xFC + 2 * n(kWrite, 1) + n(kWrite, 0));
        put(11, 0x1F + 128 * n(kWrite, 4) + 64 * n(kWrite, 3) + 32 * n(kWrite, 2));
        put(12, 0xFC + 2 * n(kRead, 1) + n(kRead, 0));
        put(13, c(kRead, 2) ? 0xBF : 0xFF);
    } else {
        put(8, 0xF0 + 8 * n(kCode, 3) + 4 * n(kCode, 2) + 2 * n(kCode, 1) + n(kCode, 0));
        put(9, 0x3F + 128 * n(kCode, 5) + 64 * n(kCode, 4));
        put(10, 0xF0 + 8 * n(kWrite, 3) + 4 * n(kWrite, 2) + 2 * n(kWrite, 1) + n(kWrite, 0));
        put(11, 0x1F + 128 * n(kWrite, 6) + 64 * n(kWrite, 5) + 32 * n(kWrite, 4));
        put(12, 0xF0 + 8 * n(kRead, 3) + 4 * n(kRead, 2) + 2 * n(kRead, 1) + n(kRead, 0));
        put(13, c(kRead, 4) ? 0xBF : 0xFF);
    }
    // Bytes 0, 4 and 7 keep what the chip or the file gave.
}

} // namespace

constexpr LayoutDesc kPic18Layout{.working = Working::ConfigBlock,
                                  .innerTop = 15,
                                  .groups = kGroups,
                                  .lists = kLists,
                                  .checkLists = kCheckLists,
                                  .items = kItems,
                                  .idGroup = 7,
                                  .idWidth = IdWidth::Pic18,
                                  .rule = pic18Sums,
                                  .views = &kViews};

} // namespace kestro
