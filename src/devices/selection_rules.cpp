#include "devices/selection_rules.h"

#include "devices/index_ranges.h"
#include "devices/traits.h"

#include <algorithm>

namespace kestro {
namespace {

constexpr IndexRange kNo = kNoRange;

// One character per Process command, in the order of ProcessCommand: '1' enabled,
// '0' disabled.
struct EnablingRow {
    IndexRange ranges[5];
    std::string_view items;
};

// Identify  Read  Erase  Program  Verify  ProgramSecurity  ProgramFuse  ReadFuse
// EraseProgram  EraseProgramSecurity  CheckErase
constexpr EnablingRow kEnabling[] = {
    {{{0, 6}, {8, 9}, kNo, kNo, kNo}, "11111100110"},
    {{{7, 7}, kNo, kNo, kNo, kNo}, "01011100000"},
    {{{10, 11}, kNo, kNo, kNo, kNo}, "01111100110"},
    {{{12, 21}, {23, 24}, {26, 28}, kNo, kNo}, "11111111110"},
    {{{22, 22}, {25, 25}, kNo, kNo, kNo}, "11111100110"},
    {{{29, 31}, kNo, kNo, kNo, kNo}, "01111100110"},
    {{{32, 32}, {36, 37}, kNo, kNo, kNo}, "01011100000"},
    {{{33, 35}, kNo, kNo, kNo, kNo}, "01011000000"},
    {{{38, 45}, kNo, kNo, kNo, kNo}, "11011100000"},
    {{{46, 55}, {57, 62}, kNo, kNo, kNo}, "01011011000"},
    {{{56, 56}, {63, 63}, {68, 73}, {81, 101}, kNo}, "01111011100"},
    {{{64, 67}, {74, 80}, kNo, kNo, kNo}, "01101011100"},
    {{{102, 112}, {136, 138}, kNo, kNo, kNo}, "01111000100"},
    {{{113, 118}, kNo, kNo, kNo, kNo}, "11111000000"},
    {{{119, 135}, {139, 146}, {164, 166}, kNo, kNo}, "01011000000"},
    {{{147, 163}, {177, 179}, {184, 184}, kNo, kNo}, "01011000001"},
    {{{167, 176}, kNo, kNo, kNo, kNo}, "01111000000"},
    {{{180, 183}, kNo, kNo, kNo, kNo}, "01111000001"},
    {{{185, 195}, kNo, kNo, kNo, kNo}, "00010000000"},
};
// Where no row applies (the "unknown" device) everything but Check Erase stays on.
constexpr std::string_view kUnlisted = "11111111110";

// With the serial adapter the AT89S53/S8252 and AT90S1200/2313 lose the commands
// that adapter cannot run: '0' forces an item off, '-' leaves it.
constexpr EnablingRow kSerialAdapterOff[] = {
    {{{12, 13}, kNo, kNo, kNo, kNo}, "0-----00---"},
    {{{14, 15}, kNo, kNo, kNo, kNo}, "------00---"},
};

struct ExtensionSocketRule {
    uint8_t socketVariant;
    IndexRange ranges[5];
    bool everyPic;
};

constexpr ExtensionSocketRule kExtensionSocket[] = {
    {4, {{29, 31}, {33, 33}, {177, 184}, kNo, kNo}, true},
    {5, {{29, 31}, {33, 33}, {53, 53}, {55, 56}, {177, 184}}, false},
};

// Pictures by socket picture code; the two columns are socket variants 4 and 5.
constexpr std::string_view kPictures[][2] = {
    {"Img_IC20_m3", "Img_IC20"},   // 0
    {"Img_IC40", "Img_IC40"},      // 1
    {"Img_IC20_8", "Img_IC8_5"},   // 2
    {"Img_IC8_10", "Img_IC8_10"},  // 3
    {"Img_IC14_8", "Img_IC14_8"},  // 4
    {"Img_IC18", "Img_IC18"},      // 5
    {"Img_IC28PIC", "Img_IC28PIC"}, // 6
    {"Img_IC24", "Img_IC24"},      // 7
    {"Img_IC28", "Img_IC28"},      // 8
    {"Img_IC32", "Img_IC32"},      // 9
    {"Img_IC14_10", "Img_IC14_10"}, // 10
};

} // namespace

int enablingRowsCovering(int deviceIndex) {
    return static_cast<int>(std::count_if(std::begin(kEnabling), std::end(kEnabling),
                                          [deviceIndex](const EnablingRow& row) {
                                              return inRanges(row.ranges, deviceIndex);
                                          }));
}

ProcessEnabling processEnabling(int deviceIndex, bool serialAdapter) {
    std::string_view items = kUnlisted;
    for (const auto& row : kEnabling) {
        if (inRanges(row.ranges, deviceIndex)) {
            items = row.items;
            break;
        }
    }
    ProcessEnabling e{};
    for (size_t k = 0; k < kProcessCommandCount; ++k) e.on[k] = items[k] == '1';
    if (serialAdapter)
        for (const auto& row : kSerialAdapterOff)
            if (inRanges(row.ranges, deviceIndex))
                for (size_t k = 0; k < kProcessCommandCount; ++k)
                    if (row.items[k] == '0') e.on[k] = false;
    return e;
}

bool needsExtensionSocket(int deviceIndex, bool picFlag, uint8_t socketVariant) {
    for (const auto& rule : kExtensionSocket)
        if (rule.socketVariant == socketVariant)
            return inRanges(rule.ranges, deviceIndex) || (rule.everyPic && picFlag);
    return false;
}

std::string_view windowCaption(int deviceIndex, bool picFlag, uint8_t socketVariant,
                               bool serialAdapter) {
    if (serialAdapter) return "Kestro - Serial Adapter Active !";
    if (needsExtensionSocket(deviceIndex, picFlag, socketVariant)) return "Kestro - Use Adapter!";
    return "Kestro";
}

std::string_view socketPictureName(uint8_t pictureCode, uint8_t socketVariant) {
    if (pictureCode >= std::size(kPictures)) return {};
    // Variant 4 is the start value, so anything but a reported 5 gets its pictures.
    return kPictures[pictureCode][socketVariant == 5 ? 1 : 0];
}

bool isConfigurationProm(int deviceIndex) { return traitsOf(deviceIndex).configurationProm; }

IdentifyEraseCaptions identifyEraseCaptions(int deviceIndex) {
    if (isConfigurationProm(deviceIndex))
        return {"Reset High, OE Low", "Reset Low, OE High"};
    return {"Identify", "Erase"};
}

bool markerAreaAvailable(int deviceIndex) { return traitsOf(deviceIndex).markerArea; }

bool timerHidesPicture(int deviceIndex) { return traitsOf(deviceIndex).microcontroller; }

} // namespace kestro
