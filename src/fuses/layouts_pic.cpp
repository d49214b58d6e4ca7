// Configuration layouts of the PIC12 and PIC16 devices: the configuration word through
// the bit view, an oscillator list, often a protection or bandgap list, check boxes
// and the four-digit ID field. Where a chip repeats its code-protect bits across the
// word, the copies are made after the controls are read back.

#include "fuses/layouts.h"

namespace kestro {
namespace {

using namespace fuse_groups;

constexpr int kNarrow = 70, kWide = 230; // four-item oscillator lists, everything else

// ---- oscillator lists ----

constexpr std::string_view kFourClock[] = {"LP", "XT", "HS", "RC"};
constexpr std::string_view kPic12c5Osc[] = {"LP", "XT", "INTRC", "EXTRC"};
constexpr std::string_view kGp4Reserved[] = {"LP",
                                             "XT",
                                             "HS",
                                             "Reserved (invalid!)",
                                             "INTRC (GP4=I/O)",
                                             "INTRC (GP4=CLKOUT)",
                                             "EXTRC (GP4=I/O)",
                                             "EXTRC (GP4=CLKOUT)"};
constexpr std::string_view kGp4Ec[] = {"LP",
                                       "XT",
                                       "HS",
                                       "EC",
                                       "INTRC (GP4=I/O)",
                                       "INTRC (GP4=CLKOUT)",
                                       "EXTRC (GP4=I/O)",
                                       "EXTRC (GP4=CLKOUT)"};
constexpr std::string_view kRb4[] = {"LP",
                                     "XT",
                                     "HS",
                                     "Reserved (invalid!)",
                                     "INTRC (RB4=I/O)",
                                     "INTRC (RB4=CLKOUT)",
                                     "EXTRC (RB4=I/O)",
                                     "EXTRC (RB4=CLKOUT)"};
constexpr std::string_view kRa6Er[] = {"LP",
                                       "XT",
                                       "HS",
                                       "EC",
                                       "INTRC (RA6=I/O)",
                                       "INTRC (RA6=CLKOUT)",
                                       "ER (RA6=I/O)",
                                       "ER (RA6=CLKOUT)"};
constexpr std::string_view kRa6Ext[] = {"LP",
                                        "XT",
                                        "HS",
                                        "EXT",
                                        "INTRC (RA6=I/O)",
                                        "INTRC (RA6=CLKOUT)",
                                        "EXTRC (RA6=I/O)",
                                        "EXTRC (RA6=CLKOUT)"};

// Index = bit 1 x 2 + bit 0; eight-item lists add bit 2 x 4, the RA6 lists bit 4 x 4.
constexpr ListRow fourClock(Items items) {
    return {kEveryDevice, 0, 0, items, kNarrow, ListFill::Bits, {bit(0), bit(1)}};
}
constexpr ListRow eightClock(Items items) {
    return {kEveryDevice, 0, 0, items, kWide, ListFill::Bits, {bit(0), bit(1), bit(2)}};
}
constexpr ListRow ra6Clock(Items items) {
    return {kEveryDevice, 0, 0, items, kWide, ListFill::Bits, {bit(0), bit(1), bit(4)}};
}

// ---- second lists: protection and bandgap, in GroupBox5 ----

constexpr std::string_view kOffOn[] = {"OFF", "ON"};
constexpr std::string_view kCp07FE[] = {"OFF", "ON 0400h-07FEh", "ON 0200h-07FEh",
                                        "ON 0000h-07FEh"};
constexpr std::string_view kCp07FF[] = {"OFF", "ON 0400h-07FFh", "ON 0200h-07FFh",
                                        "ON 0000h-07FFh"};
constexpr std::string_view kBandGap[] = {"Lowest bandgap voltage", "Highest bandgap voltage"};
constexpr std::string_view kCp627[] = {"OFF", "OFF", "ON 0200h-03FFh", "ON 0000h-03FFh"};
constexpr std::string_view kWp818[] = {"ON 0000h-05FFh", "ON 0000h-03FFh", "ON 0000h-01FFh", "OFF"};
constexpr std::string_view kCp872[] = {"OFF", "ON 0000h-06FFh", "ON 0000h-03FFh", "ON 0000h-07FFh"};
constexpr std::string_view kCp873[] = {"OFF", "ON 0F00h-0FFFh", "ON 0800h-0FFFh", "ON 0000h-0FFFh"};
constexpr std::string_view kCp876[] = {"OFF", "ON 1F00h-1FFFh", "ON 1000h-1FFFh", "ON 0000h-1FFFh"};
constexpr std::string_view kWp873a[] = {"ON 0000h-07FFh", "ON 0000h-03FFh", "ON 0000h-00FFh",
                                        "OFF"};
constexpr std::string_view kWp876a[] = {"ON 0000h-0FFFh", "ON 0000h-07FFh", "ON 0000h-00FFh",
                                        "OFF"};

constexpr ListRow second(Devices devices, Items items, std::array<Target, 4> bits) {
    return {devices, 1, 1, items, kWide, ListFill::Bits, bits};
}

constexpr LayoutDesc picLayout(std::span<const GroupRow> groups, std::span<const ListRow> lists,
                               std::span<const BoxRow> boxes, std::span<const AfterRow> after) {
    const auto count = static_cast<int8_t>(groups.back().box + 1);
    return {.groups = groups,
            .lists = lists,
            .boxGroup = static_cast<int8_t>(count - 2), // "Fuses:", just above "ID:"
            .boxes = boxes,
            .after = after,
            .idGroup = static_cast<int8_t>(count - 1),
            .idWidth = IdWidth::Pic16,
            .storesWord = true};
}

constexpr Devices kAll = kEveryDevice;

// ---- 46, 47: PIC12C508/509 ----
constexpr GroupRow k508Groups[] = {
    {kAll, 0, "Oscillator:", 50, 55}, {kAll, 1, "Fuses:", 110, 80}, {kAll, 2, "ID:", 200, 55}};
constexpr ListRow k508Lists[] = {fourClock(kPic12c5Osc)};
constexpr BoxRow k508Boxes[] = {{kAll, "Watchdog timer enable", bit(2)},
                                {kAll, "Code protect ON", inv(3)},
                                {kAll, "MCLR enable", bit(4)}};

// ---- 48, 49: PIC12C671/672 ----
constexpr GroupRow k671Groups[] = {{kAll, 0, "Oscillator:", 50, 55},
                                   {kAll, 1, "Code Protect:", 110, 55},
                                   {kAll, 2, "Fuses:", 170, 80},
                                   {kAll, 3, "ID:", 260, 55}};
constexpr ListRow k671Lists[] = {eightClock(kGp4Reserved), second(kAll, kCp07FE, {inv(5), inv(6)})};
constexpr BoxRow k671Boxes[] = {{kAll, "Watchdog timer enable", bit(3)},
                                {kAll, "Power-up timer enable", inv(4)},
                                {kAll, "MCLR enable", bit(7)}};
constexpr AfterRow k671After[] = {{kAll, bitSet({8, 10, 12}), 5}, {kAll, bitSet({9, 11, 13}), 6}};

// ---- 50 to 57: PIC16C5x ----
constexpr GroupRow k5xGroups[] = {
    {kAll, 0, "Oscillator:", 50, 55}, {kAll, 1, "Fuses:", 110, 60}, {kAll, 2, "ID:", 180, 55}};
constexpr ListRow k5xLists[] = {fourClock(kFourClock)};
constexpr BoxRow k5xBoxes[] = {{kAll, "Watchdog timer enable", bit(2)},
                               {kAll, "Code protect ON", inv(3)}};
constexpr AfterRow k5xAfter[] = {
    {k5xWithOneProtect, bitRange(4, 13), kOnes},
    {k5xWithTwoProtect, bitRange(4, 13), 3},
};

// ---- 58: PIC16C505 ----
constexpr GroupRow k505Groups[] = {
    {kAll, 0, "Oscillator:", 50, 55}, {kAll, 1, "Fuses:", 110, 80}, {kAll, 2, "ID:", 200, 55}};
constexpr ListRow k505Lists[] = {eightClock(kRb4)};
constexpr BoxRow k505Boxes[] = {{kAll, "Watchdog timer enable", bit(3)},
                                {kAll, "Code protect ON", inv(4)},
                                {kAll, "MCLR enable", bit(5)}};
constexpr AfterRow k505After[] = {{kAll, bitRange(6, 13), 4}};

// ---- 59 to 61: PIC16CE625, PIC16C711, PIC16C715 ----
constexpr GroupRow k62xGroups[] = {
    {kAll, 0, "Oscillator:", 50, 55}, {kAll, 1, "Code Protect:", 110, 55},
    {k625_711, 2, "Fuses:", 170, 80}, {k715, 2, "Fuses:", 170, 100},
    {k625_711, 3, "ID:", 260, 55},    {k715, 3, "ID:", 280, 55}};
constexpr ListRow k62xLists[] = {fourClock(kFourClock), second(k625_715, kCp07FF, {inv(4), inv(5)}),
                                 second(k711, kOffOn, {inv(4)})};
constexpr BoxRow k62xBoxes[] = {{kAll, "Watchdog timer enable", bit(2)},
                                {kAll, "Power-up timer enable", inv(3)},
                                {kAll, "Brown-out reset enable", bit(6)},
                                {k625_711, "", bit(7), kHidden},
                                {k715, "Memory polarity enable", bit(7)}};
constexpr AfterRow k62xAfter[] = {{k625_715, bitSet({8, 10, 12}), 4},
                                  {k625_715, bitSet({9, 11, 13}), 5},
                                  {k711, bitSet({5}) | bitRange(7, 13), 4}};

// ---- 62, 63, 68: PIC16C71, PIC16C84, PIC16F84 ----
constexpr GroupRow k84Groups[] = {
    {kAll, 0, "Oscillator:", 50, 55}, {kAll, 1, "Fuses:", 110, 80}, {kAll, 2, "ID:", 200, 55}};
constexpr ListRow k84Lists[] = {fourClock(kFourClock)};
constexpr BoxRow k84Boxes[] = {{kAll, "Watchdog timer enable", bit(2)},
                               {kC71_C84, "Power-up timer enable", bit(3)},
                               {kF84, "Power-up timer enable", inv(3)},
                               {kAll, "Code protect ON", inv(4)}};
constexpr AfterRow k84After[] = {{kC71_C84, bitRange(5, 13), kOnes}, {kF84, bitRange(5, 13), 4}};

// ---- 64 to 67: PIC12F629/675, PIC16F630/676 ----
constexpr GroupRow k629Groups[] = {{kAll, 0, "Oscillator:", 50, 55},
                                   {kAll, 1, "BandGap:", 110, 55},
                                   {kAll, 2, "Fuses:", 170, 140},
                                   {kAll, 3, "ID:", 320, 55}};
constexpr ListRow k629Lists[] = {eightClock(kGp4Ec), second(kAll, kBandGap, {bit(12)})};
constexpr BoxRow k629Boxes[] = {{kAll, "Watchdog timer enable", bit(3)},
                                {kAll, "Power-up timer enable", inv(4)},
                                {kAll, "MCLR enable", bit(5)},
                                {kAll, "Brown-out reset enable", bit(6)},
                                {kAll, "Prog memory code protect", inv(7)},
                                {kAll, "Data memory code protect", inv(8)}};
constexpr AfterRow k629After[] = {{kAll, bitSet({13}), 12}};

// ---- 69 to 73: PIC16F627/628, PIC16F627A/628A/648A ----
constexpr GroupRow k627Groups[] = {{kAll, 0, "Oscillator:", 50, 55},
                                   {kAll, 1, "Code Protect:", 110, 55},
                                   {kAll, 2, "Fuses:", 170, 140},
                                   {kAll, 3, "ID:", 320, 55}};
constexpr ListRow k627Lists[] = {ra6Clock(kRa6Er), second(k627, kCp627, {inv(10), inv(11)}),
                                 second(k628, kCp07FF, {inv(10), inv(11)}),
                                 second(kA, kOffOn, {inv(13)})};
constexpr BoxRow k627Boxes[] = {{kAll, "Watchdog timer enable", bit(2)},
                                {kAll, "Power-up timer enable", inv(3)},
                                {kAll, "MCLR enable", bit(5)},
                                {kAll, "Brown-out reset enable", bit(6)},
                                {kAll, "Low voltage programming enable", bit(7)},
                                {kAll, "Data memory code protect ON", inv(8)}};
constexpr AfterRow k627After[] = {{k627_628, bitSet({12}), 10},
                                  {k627_628, bitSet({13}), 11},
                                  {k627_628, bitSet({9}), kOnes},
                                  {kA, bitRange(9, 12), kOnes}};

// ---- 74 to 78: PIC16F72 to PIC16F77 ----
constexpr GroupRow k7xGroups[] = {
    {kAll, 0, "Oscillator:", 50, 55}, {kAll, 1, "Fuses:", 110, 100}, {kAll, 2, "ID:", 220, 55}};
constexpr ListRow k7xLists[] = {fourClock(kFourClock)};
constexpr BoxRow k7xBoxes[] = {{kAll, "Watchdog timer enable", bit(2)},
                               {kAll, "Power-up timer enable", inv(3)},
                               {kAll, "Code protect ON", inv(4)},
                               {kAll, "Brown-out reset enable", bit(6)}};

// ---- 79, 80: PIC16F818/819 ----
constexpr GroupRow k818Groups[] = {{kAll, 0, "Oscillator:", 50, 55},
                                   {kAll, 1, "Write Protect:", 110, 55},
                                   {kAll, 2, "Fuses:", 170, 200},
                                   {kAll, 3, "ID:", 380, 55}};
constexpr ListRow k818Lists[] = {ra6Clock(kRa6Ext), second(kAll, kWp818, {bit(9), bit(10)})};
constexpr BoxRow k818Boxes[] = {{kAll, "Watchdog timer enable", bit(2)},
                                {kAll, "Power-up timer enable", inv(3)},
                                {kAll, "MCLR enable", bit(5)},
                                {kAll, "Brown-out reset enable", bit(6)},
                                {kAll, "Low voltage programming enable", bit(7)},
                                {kAll, "Data memory code protect ON", inv(8)},
                                {kAll, "In circuit debugger enable", inv(11)},
                                {kAll, "CCP1 MUX RB3/RB2", bit(12)},
                                {kAll, "Program memory code protect ON", inv(13)}};

// ---- 81 to 87: PIC16F870 to PIC16F877 ----
constexpr GroupRow k87xGroups[] = {{kAll, 0, "Oscillator:", 50, 55},
                                   {kAll, 1, "Code Protect:", 110, 55},
                                   {kAll, 2, "Fuses:", 170, 160},
                                   {kAll, 3, "ID:", 340, 55}};
constexpr ListRow k87xLists[] = {fourClock(kFourClock), second(k870_871, kOffOn, {inv(12)}),
                                 second(k872, kCp872, {inv(12), inv(13)}),
                                 second(k873_874, kCp873, {inv(12), inv(13)}),
                                 second(k876_877, kCp876, {inv(12), inv(13)})};
constexpr BoxRow k87xBoxes[] = {
    {kAll, "Watchdog timer enable", bit(2)},       {kAll, "Power-up timer enable", inv(3)},
    {kAll, "Brown-out reset enable", bit(6)},      {kAll, "Low voltage programming enable", bit(7)},
    {kAll, "Data memory code protect ON", inv(8)}, {kAll, "Program memory write enable", bit(9)},
    {kAll, "In circuit debugger enable", inv(11)}};
constexpr AfterRow k87xAfter[] = {{k870_871, bitSet({13, 4, 5}), 12},
                                  {k872_877, bitSet({4}), 12},
                                  {k872_877, bitSet({5}), 13},
                                  {kAll, bitSet({10}), kOnes}};

// ---- 88 to 91: PIC16F873A to PIC16F877A ----
constexpr GroupRow k87xaGroups[] = {{kAll, 0, "Oscillator:", 50, 55},
                                    {kAll, 1, "Write Protect:", 110, 55},
                                    {kAll, 2, "Fuses:", 170, 160},
                                    {kAll, 3, "ID:", 340, 55}};
constexpr ListRow k87xaLists[] = {fourClock(kFourClock),
                                  second(k873a_874a, kWp873a, {bit(9), bit(10)}),
                                  second(k876a_877a, kWp876a, {bit(9), bit(10)})};
constexpr BoxRow k87xaBoxes[] = {{kAll, "Watchdog timer enable", bit(2)},
                                 {kAll, "Power-up timer enable", inv(3)},
                                 {kAll, "Brown-out reset enable", bit(6)},
                                 {kAll, "Low voltage programming enable", bit(7)},
                                 {kAll, "Data memory code protect ON", inv(8)},
                                 {kAll, "Background debugger enable", inv(11)},
                                 {kAll, "Program memory code protect ON", inv(13)}};

} // namespace

constexpr LayoutDesc kPic12c5Layout = picLayout(k508Groups, k508Lists, k508Boxes, {});
constexpr LayoutDesc kPic12c67Layout = picLayout(k671Groups, k671Lists, k671Boxes, k671After);
constexpr LayoutDesc kPic16c5xLayout = picLayout(k5xGroups, k5xLists, k5xBoxes, k5xAfter);
constexpr LayoutDesc kPic16c505Layout = picLayout(k505Groups, k505Lists, k505Boxes, k505After);
constexpr LayoutDesc kPic16c62xLayout = picLayout(k62xGroups, k62xLists, k62xBoxes, k62xAfter);
constexpr LayoutDesc kPic16c84Layout = picLayout(k84Groups, k84Lists, k84Boxes, k84After);
constexpr LayoutDesc kPic12f6xxLayout = picLayout(k629Groups, k629Lists, k629Boxes, k629After);
constexpr LayoutDesc kPic16f62xLayout = picLayout(k627Groups, k627Lists, k627Boxes, k627After);
constexpr LayoutDesc kPic16f7xLayout = picLayout(k7xGroups, k7xLists, k7xBoxes, {});
constexpr LayoutDesc kPic16f81xLayout = picLayout(k818Groups, k818Lists, k818Boxes, {});
constexpr LayoutDesc kPic16f87xLayout = picLayout(k87xGroups, k87xLists, k87xBoxes, k87xAfter);
constexpr LayoutDesc kPic16f87xaLayout = picLayout(k87xaGroups, k87xaLists, k87xaBoxes, {});

} // namespace kestro
