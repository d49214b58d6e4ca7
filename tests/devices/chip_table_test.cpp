// Checks over the whole chip table, one chip at a time: the invariants every row keeps,
// and the per-device rules as they were first written, by index ranges, compared with
// what the rows say for all 197 rows.

#include "devices/catalogue.h"
#include "devices/device_state.h"
#include "devices/selection_rules.h"
#include "devices/serial_parameters.h"
#include "devices/signatures.h"
#include "devices/traits.h"
#include "fuses/fuse_layouts.h"
#include "support/chips.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kestro {
namespace {

std::string nameOf(int i) { return std::string(chipRow(i).name); }

// Identification probes with the chip's own first probe, then the sweep; a signature
// counts only when its chip is of the probing device's family.
bool foundByIdentification(int i, const Signature& sig) {
    const int named = signatureDevice(sig);
    if (named != i && named != traitsOf(i).signatureTwin) return false;
    std::set<int> probes(probeSweep().begin(), probeSweep().end());
    if (firstProbe(i) >= 0) probes.insert(firstProbe(i));
    for (int p : probes)
        if (familyOf(p) == familyOf(named)) return true;
    return false;
}

TEST(ChipTable, EveryRowKeepsTheInvariants) {
    std::multiset<std::string_view> names;
    int withSignature = 0;
    for (int i = 0; i < kDeviceCount; ++i) {
        SCOPED_TRACE(nameOf(i));
        const CatalogueRow& r = chipRow(i);
        const DeviceTraits t = traitsOf(i);
        names.insert(r.name);
        EXPECT_LE(r.name.size(), 10u);
        EXPECT_TRUE(r.voltage == 5 || r.voltage == 12 || r.voltage == 21 || r.voltage == 25);
        EXPECT_TRUE(r.socketPicture <= 10 || r.socketPicture == 13);
        EXPECT_EQ(r.offers.size(), kProcessCommandCount);
        // Family and sizes agree with the flags and quirks.
        EXPECT_EQ(t.singleMemory, r.programSize == 0 && r.dataSize > 0);
        if (t.microcontroller) {
            EXPECT_GE(r.programSize, 1024u);
            EXPECT_LE(r.programSize, 65536u);
            EXPECT_LE(r.dataSize, 2048u); // fits the data buffer
        }
        EXPECT_TRUE(r.programSize < 256 || r.programSize % 16 == 0);
        EXPECT_TRUE(r.dataSize < 256 || r.dataSize % 16 == 0);
        EXPECT_LE(r.dataSize, 1048576u);
        EXPECT_EQ(t.picCore != PicCore::None, r.family == Family::Pic);
        if (r.serial != SerialSet::None) {
            EXPECT_TRUE(r.family == Family::ThreeWireEeprom || r.family == Family::SpiEeprom ||
                        r.family == Family::Eeprom59Cxx);
        }
        // The EPROM class is a packet byte of the EPROMs (the TMP47P443 among them).
        if (r.epromClass != 0) {
            EXPECT_TRUE(r.family == Family::Eprom8Bit || r.family == Family::Eprom16Bit);
        }
        if (t.sendsEpromClass) {
            EXPECT_TRUE(t.markerArea);
        }
        if (t.servedThrough >= 0) {
            EXPECT_TRUE(traitsOf(t.servedThrough).serialEeprom);
        }
        if (r.menu != DeviceMenu::None) {
            EXPECT_TRUE(t.hasHandler);
        }
        // Every chip with a signature is found by identification.
        if (Signature sig{}; signatureOf(i, sig)) {
            ++withSignature;
            EXPECT_FALSE(withoutIdentification(i, false));
            EXPECT_TRUE(foundByIdentification(i, sig));
        } else {
            EXPECT_TRUE(withoutIdentification(i, false));
        }
        // Every microcontroller has a layout but the three AT90S without one and the
        // 87C5x, 8748, DS5000 and TMP47P443 (none of them have fuses); no memory has one.
        const bool without = i == 23 || i == 24 || i == 26 || (i >= 32 && i <= 45);
        EXPECT_EQ(fuseLayoutFor(i) != nullptr, t.microcontroller && !without);
        if (const FuseLayout* l = fuseLayoutFor(i)) {
            EXPECT_EQ(l->id, r.fuseLayout);
        }
    }
    EXPECT_EQ(withSignature, 34); // 32 in the signature table and the two HV ATtiny twins
    for (auto n : names) EXPECT_EQ(names.count(n), n == "29F010" ? 2u : 1u) << n;
    EXPECT_FALSE(fuseLayoutFor(kUnknownDevice) || fuseLayoutFor(-1));
}

// ---- the rules as the index ranges wrote them ----

struct Span {
    int first, last;
    std::string value;
};
struct Rule {
    const char* fact;
    std::string otherwise;
    std::vector<Span> spans;
    std::function<std::string(int)> now;
};

std::string str(int v) { return std::to_string(v); }
std::string hex4(int a, int b, int c, int d) {
    char t[16];
    std::snprintf(t, sizeof t, "%02X%02X%02X%02X", a, b, c, d);
    return t;
}
// The spans of a rule whose values are the same for a set of ranges.
std::vector<Span> all(std::string value, std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<Span> s;
    for (auto [a, b] : ranges) s.push_back({a, b, value});
    return s;
}
std::vector<Span> yes(std::initializer_list<std::pair<int, int>> ranges) { return all("1", ranges); }
std::vector<Span> operator+(std::vector<Span> a, const std::vector<Span>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
template <class Get> std::function<std::string(int)> trait(Get get) {
    return [get](int i) { return str(get(traitsOf(i))); };
}
std::string offersOf(int i, bool serial) {
    std::string on;
    for (bool b : processEnabling(i, serial).on) on += b ? '1' : '0';
    return on;
}
// Match codes: 1 exactly the variant, 2 any variant, 3 any other variant.
std::string signaturesOf(int i) {
    std::string s;
    for (const SignatureEntry& e : chipRow(i).signatures)
        if (e.match != VariantMatch::None)
            s += hex4(e.manufacturer, e.device, static_cast<int>(e.match), e.variant) + " ";
    return s;
}
std::string serialOf(int i) {
    std::string s;
    for (SerialAccess a : {SerialAccess::Erase, SerialAccess::ReadData, SerialAccess::ProgramData,
                           SerialAccess::Other}) {
        const SerialParameters p = serialParameters(i, a);
        s += hex4(p.a, p.b, p.c, p.d);
    }
    return s;
}
// A B for erase, read and program data, then C D.
std::string serial(std::array<int, 6> ab, int c, int d) {
    return hex4(ab[0], ab[1], c, d) + hex4(ab[2], ab[3], c, d) + hex4(ab[4], ab[5], c, d) + hex4(0, 0, c, d);
}

std::vector<Rule> oldRules() {
    const std::array<int, 6> spi{0x00, 0x00, 0x03, 0x00, 0x02, 0x00};
    return {
        {"family", "-1",
         {{0, 2, "0"}, {3, 13, "1"}, {14, 15, "2"}, {16, 28, "3"}, {29, 31, "20"}, {32, 32, "21"},
          {33, 33, "12"}, {34, 35, "19"}, {36, 42, "4"}, {43, 45, "5"}, {46, 101, "6"},
          {102, 112, "7"}, {113, 129, "8"}, {130, 135, "9"}, {136, 138, "10"}, {139, 143, "11"},
          {144, 144, "15"}, {145, 146, "16"}, {147, 148, "22"}, {149, 163, "12"},
          {164, 169, "13"}, {170, 176, "14"}, {177, 184, "18"}, {185, 195, "17"}},
         [](int i) { return familyOf(i) ? str(code(*familyOf(i))) : "-1"; }},
        {"EPROM class", "0", all("1", {{33, 33}, {151, 156}}) + all("2", {{158, 163}, {177, 179}, {184, 184}}),
         [](int i) { return str(chipRow(i).epromClass); }},
        {"Process items", "11111111110",
         all("11111100110", {{0, 6}, {8, 9}, {22, 22}, {25, 25}}) + all("01011100000", {{7, 7}, {32, 32}, {36, 37}}) +
             all("01111100110", {{10, 11}, {29, 31}}) + all("11111111110", {{12, 21}, {23, 24}, {26, 28}}) +
             all("01011000000", {{33, 35}, {119, 135}, {139, 146}, {164, 166}}) + all("11011100000", {{38, 45}}) +
             all("01011011000", {{46, 55}, {57, 62}}) + all("01111011100", {{56, 56}, {63, 63}, {68, 73}, {81, 101}}) +
             all("01101011100", {{64, 67}, {74, 80}}) + all("01111000100", {{102, 112}, {136, 138}}) +
             all("11111000000", {{113, 118}}) + all("01011000001", {{147, 163}, {177, 179}, {184, 184}}) +
             all("01111000000", {{167, 176}}) + all("01111000001", {{180, 183}}) + all("00010000000", {{185, 195}}),
         [](int i) { return offersOf(i, false); }},
        {"Process items withdrawn by the serial adapter", "", {{12, 13, "0-----00---"}, {14, 15, "------00---"}},
         [](int i) {
             std::string off;
             for (size_t k = 0; k < kProcessCommandCount; ++k)
                 off += processEnabling(i, true).on[k] != processEnabling(i, false).on[k] ? '0' : '-';
             return off == std::string(kProcessCommandCount, '-') ? "" : off;
         }},
        {"no signature", "0", yes({{7, 7}, {10, 11}, {29, 37}, {46, 196}}),
         [](int i) { return str(withoutIdentification(i, false)); }},
        {"no signature, serial adapter", "0", yes({{7, 7}, {10, 13}, {29, 37}, {46, 196}}),
         [](int i) { return str(withoutIdentification(i, true)); }},
        {"first probe", "-1",
         {{0, 2, "0"}, {3, 6, "3"}, {8, 8, "3"}, {9, 9, "9"}, {12, 13, "12"}, {14, 15, "14"},
          {16, 16, "16"}, {19, 19, "16"}, {17, 18, "17"}, {20, 20, "20"}, {21, 21, "21"},
          {22, 28, "22"}, {38, 42, "38"}, {43, 45, "43"}},
         [](int i) { return str(firstProbe(i)); }},
        {"signatures", "",
         {{43, 43, "15920200 "}, {44, 44, "15970200 "}, {45, 45, "15BB0200 "}, {0, 0, "1E110200 "},
          {1, 1, "1E210200 "}, {2, 2, "1E410200 "}, {4, 4, "1E510107 "}, {3, 3, "1E510300 "},
          {6, 6, "1E520200 "}, {12, 12, "1E530200 "}, {9, 9, "1E550106 "}, {8, 8, "1E550300 "},
          {5, 5, "1E620200 "}, {13, 13, "1E720200 "}, {16, 16, "1E900104 "}, {17, 17, "1E900105 "},
          {18, 18, "1E900106 "}, {14, 14, "1E900300 "}, {15, 15, "1E910101 "}, {21, 21, "1E910107 "},
          {22, 22, "1E920101 "}, {24, 24, "1E920102 "}, {23, 23, "1E920103 "}, {25, 25, "1E930101 "},
          {26, 26, "1E930103 "}, {27, 27, "1E930106 "}, {28, 28, "1E930108 "},
          {38, 38, "89570200 89580151 "}, {39, 39, "89580152 "}, {40, 40, "89580154 "},
          {41, 41, "895801C0 895801FA "}, {42, 42, "895801C1 895801FB "}},
         signaturesOf},
        {"serial parameters", std::string(32, '0'),
         all(serial({0x20, 0x01, 0x80, 0x01, 0x40, 0x01}, 0x30, 0x01), {{102, 102}, {104, 105}}) +
             all(serial({0x40, 0x02, 0x00, 0x03, 0x80, 0x02}, 0x60, 0x02), {{103, 103}, {109, 109}}) +
             all(serial({0x00, 0x09, 0x00, 0x0C, 0x00, 0x0A}, 0x80, 0x09), {{106, 106}, {137, 137}}) +
             all(serial({0x80, 0x04, 0x00, 0x06, 0x00, 0x05}, 0xC0, 0x04), {{107, 108}, {110, 110}, {136, 136}}) +
             all(serial({0x00, 0x12, 0x00, 0x18, 0x00, 0x14}, 0x00, 0x13), {{111, 112}, {138, 138}}) +
             all(serial(spi, 0x06, 0x00), {{130, 132}}) + all(serial(spi, 0x06, 0xFF), {{133, 135}}),
         serialOf},
        {"fuse layout", "",
         all("8051 lock, three levels", {{0, 2}, {22, 22}, {25, 25}}) + all("8051 lock, four levels", {{3, 11}}) +
             all("AT89S lock and SPI enable", {{12, 13}}) + all("AT90S lock and fuses", {{14, 15}}) +
             all("ATtiny11", {{16, 16}}) + all("ATtiny12", {{17, 17}, {19, 19}}) +
             all("ATtiny15", {{18, 18}, {20, 20}}) + all("ATtiny28", {{21, 21}}) +
             all("ATmega8515/8535", {{27, 28}}) + all("W78 configuration", {{29, 31}}) +
             all("PIC12C508/509", {{46, 47}}) + all("PIC12C671/672", {{48, 49}}) + all("PIC16C5x", {{50, 57}}) +
             all("PIC16C505", {{58, 58}}) + all("PIC16CE625/C711/C715", {{59, 61}}) +
             all("PIC16C71/C84/F84", {{62, 63}, {68, 68}}) + all("PIC12F629/675, PIC16F630/676", {{64, 67}}) +
             all("PIC16F627/628/648A", {{69, 73}}) + all("PIC16F72..77", {{74, 78}}) +
             all("PIC16F818/819", {{79, 80}}) + all("PIC16F870..877", {{81, 87}}) +
             all("PIC16F873A..877A", {{88, 91}}) + all("PIC18", {{92, 101}}),
         [](int i) { return fuseLayoutFor(i) ? std::string(fuseLayoutFor(i)->name) : ""; }},
        {"extension socket, variant 4", "0", yes({{29, 31}, {33, 33}, {177, 184}}),
         [](int i) { return str(needsExtensionSocket(i, false, 4)); }},
        {"extension socket, variant 5", "0", yes({{29, 31}, {33, 33}, {53, 53}, {55, 56}, {177, 184}}),
         [](int i) { return str(needsExtensionSocket(i, false, 5)); }},
        {"menu", "",
         all("AT89xxx", {{0, 13}}) + all("AT90xxx", {{14, 22}, {25, 25}, {27, 28}}) + all("Winbond", {{29, 31}}) +
             all("Dallas", {{32, 32}}) + all("Toshiba", {{33, 33}}) + all("87Cxxx", {{34, 35}}) +
             all("PIC12Cxxx", {{46, 49}}) + all("PIC16Cxxx", {{50, 63}}) + all("PIC12Fxxx", {{64, 67}}) +
             all("PIC16Fxxx", {{68, 80}}) + all("PIC16F87x", {{81, 91}}) + all("PIC18Fxxx", {{92, 101}}) +
             all("93xxx", {{102, 112}}) + all("17xxx", {{113, 118}}) + all("24xxx", {{119, 129}}) +
             all("25xxx", {{130, 135}}) + all("59xxx", {{136, 138}}) + all("SDA25xx", {{139, 143}}) +
             all("PCF", {{144, 144}}) + all("TV EEPROM", {{145, 146}}) + all("RAM / NVRAM", {{147, 148}}) +
             all("27xxx / 87xxx", {{149, 163}}) + all("28xxx", {{164, 169}}) +
             all("29xxx / 49xxx", {{170, 176}}) + all("EPROM 16bit", {{177, 184}}) + all("HCS", {{185, 194}}) +
             all("TCN", {{195, 195}}),
         [](int i) { return std::string(deviceMenuCaption(traitsOf(i).menu)); }},
        {"item name", "", {{62, 62, "PIC16C71N"}, {113, 113, "N17LV641"}, {114, 114, "N17C641"}, {170, 170, "N29C0101"}},
         [](int i) { return std::string(traitsOf(i).itemName); }},
        {"item caption", "", {{170, 170, "29C010A"}}, [](int i) { return std::string(traitsOf(i).itemCaption); }},
        {"menu handler", "0", yes({{0, 35}, {46, 195}}), trait([](const DeviceTraits& t) { return t.hasHandler; })},
        {"menu item always disabled", "0", yes({{4, 4}, {115, 118}}),
         trait([](const DeviceTraits& t) { return t.menuAlwaysDisabled; })},
        {"PIC core", "0", all("1", {{46, 47}, {50, 58}}) + all("2", {{48, 49}, {59, 91}}) + all("3", {{92, 101}}),
         trait([](const DeviceTraits& t) { return static_cast<int>(t.picCore); })},
        {"byte-wide variant", "0", yes({{103, 103}, {106, 106}}),
         trait([](const DeviceTraits& t) { return t.byteWideVariant; })},
        {"marker area", "0", yes({{102, 184}}), trait([](const DeviceTraits& t) { return t.markerArea; })},
        {"configuration PROM", "0", yes({{113, 118}}), trait([](const DeviceTraits& t) { return t.configurationProm; })},
        {"microcontroller", "0", yes({{0, 101}}), trait([](const DeviceTraits& t) { return t.microcontroller; })},
        {"single memory", "0", yes({{102, 195}}), trait([](const DeviceTraits& t) { return t.singleMemory; })},
        {"fuse file", "0", yes({{12, 21}, {27, 28}}), trait([](const DeviceTraits& t) { return t.fuseFile; })},
        {"EPROM class byte", "0", yes({{149, 163}, {177, 184}}), trait([](const DeviceTraits& t) { return t.sendsEpromClass; })},
        {"serial EEPROM", "0", yes({{102, 143}}), trait([](const DeviceTraits& t) { return t.serialEeprom; })},
        {"withdrawn by the serial adapter", "0",
         yes({{0, 9}, {16, 16}, {21, 21}, {32, 45}, {50, 57}, {102, 195}}),
         trait([](const DeviceTraits& t) { return t.serialAdapterWithdraws; })},
        {"served through", "-1", all("121", {{139, 143}}) + all("104", {{136, 138}}),
         trait([](const DeviceTraits& t) { return t.servedThrough; })},
        {"signature twin", "-1", {{19, 19, "17"}, {20, 20, "18"}},
         trait([](const DeviceTraits& t) { return t.signatureTwin; })},
        {"last word exempt", "0", yes({{46, 49}}), trait([](const DeviceTraits& t) { return t.lastWordExempt; })},
        {"extra erase packets", "0/0", all("1/0", {{4, 4}, {9, 9}}) + all("8/1000", {{168, 168}}),
         [](int i) { return str(traitsOf(i).extraErasePackets) + "/" + str(traitsOf(i).extraEraseWaitMs); }},
        {"strongest lock", "-1/0", all("2/3", {{0, 2}, {14, 25}}) + all("3/7", {{3, 13}}),
         [](int i) { return str(traitsOf(i).strongestLockEntry) + "/" + str(traitsOf(i).strongestLockMode); }},
        {"fuse bits read inverted", "0", all("1", {{12, 13}}) + all("33", {{14, 15}}),
         trait([](const DeviceTraits& t) { return t.fuseReadInverted; })},
        {"AVR", "0", yes({{14, 28}}), trait([](const DeviceTraits& t) { return t.avr; })},
        {"ELF fuse slots", "-1-1-1", all("0-1-1", {{16, 21}}) + all("01-1", {{27, 28}}),
         [](int i) {
             const DeviceTraits t = traitsOf(i);
             return str(t.elfFuseSlot[0]) + str(t.elfFuseSlot[1]) + str(t.elfFuseSlot[2]);
         }},
    };
}

TEST(ChipTable, TheOldIndexRangeRulesReadTheSameFromTheRows) {
    for (const Rule& rule : oldRules()) {
        for (int i = 0; i <= kUnknownDevice; ++i) {
            std::string expected = rule.otherwise;
            for (const Span& s : rule.spans)
                if (i >= s.first && i <= s.last) {
                    expected = s.value;
                    break;
                }
            EXPECT_EQ(rule.now(i), expected) << rule.fact << ", row " << i;
        }
    }
}

// The chips the other tests name are the chips their names say.
TEST(ChipTable, TheTestsChipsAreNamedByTheirRows) {
    using namespace chips;
    const std::pair<int, std::string_view> named[] = {
        {kAt89C2051, "AT89C2051"}, {kAt89C51, "AT89C51"},     {kAt89C52, "AT89C52"},
        {kAt89C55WD, "AT89C55WD"}, {kAt89S8252, "AT89S8252"}, {kAt90S2313, "AT90S2313"},
        {kAttiny11, "ATTINY11"},   {kAttiny12, "ATTINY12"},   {kAtmega8515, "ATMEGA8515"},
        {kPic12C508, "PIC12C508"}, {kPic16F84, "PIC16F84"},   {kPic16F877, "PIC16F877"},
        {kPic18F452, "PIC18F452"}, {k93C06, "93C06"},         {k93C46x16, "93C46_16"},
        {k17C256, "17C256"},       {k24C02, "24C02"},         {k27C256, "27C256"},
        {k27C010, "27C010"},       {k28F010, "28F010"},       {k29F800, "29F800"},
        {kHcs301, "HCS301"}};
    for (auto [index, name] : named) EXPECT_EQ(findDeviceByName(name), index) << name;
}

} // namespace
} // namespace kestro
