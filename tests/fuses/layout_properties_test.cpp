// Properties every layout keeps, over the whole range of bytes its controls read:
// what a read-back composes, filled again, shows the same controls and reads back to
// the same bytes; no flag of the bit view is left inverted; bits that no control
// writes are kept.

#include "fuses/fuse_codec.h"
#include "fuses/fuse_layouts.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <vector>

namespace kestro {
namespace {

FuseBytes randomBytes(std::mt19937& rng) {
    FuseBytes b;
    for (auto& x : b.config)
        x = static_cast<uint8_t>(rng());
    for (auto& x : b.id)
        x = static_cast<uint8_t>(rng());
    b.lockMode = static_cast<uint8_t>(rng());
    return b;
}

// One device for each distinct set of table rows, so every variant of a layout is
// covered once.
std::vector<int> devicesOfEachVariant(int first, int last) {
    std::set<std::vector<const void*>> seen;
    std::vector<int> out;
    for (int d = first; d <= last; ++d) {
        const FuseLayout* layout = fuseLayoutFor(d);
        if (!layout) continue;
        const LayoutDesc& l = *layout->desc;
        std::vector<const void*> rows{&l};
        const auto take = [&](const auto& table) {
            for (const auto& r : table)
                if (r.devices.contains(d)) rows.push_back(&r);
        };
        take(l.groups), take(l.lists), take(l.boxes), take(l.items), take(l.after);
        if (seen.insert(rows).second) out.push_back(d);
    }
    return out;
}

// What a second fill must show again: lock controls keep their setting in the lock
// mode, not in the bytes; a list the first fill left empty and a box nobody sees are
// not compared.
FuseValues comparable(const LayoutDesc& l, int device, FuseValues v, const FuseValues& first) {
    for (const ListRow& r : l.lists)
        if (r.lock) v.list[size_t(r.list)] = -2;
    for (size_t n = 0; n < v.list.size(); ++n)
        if (first.list[n] < 0) v.list[n] = -2;
    for (const ItemRow& r : l.items)
        if (r.target.lockWeight) v.items[size_t(r.list)] = 0;
    size_t k = 0;
    for (const BoxRow& r : l.boxes) {
        if (!r.devices.contains(device)) continue;
        if (!r.shown || r.target.lockWeight) v.box[k] = false;
        ++k;
    }
    return v;
}

bool operator==(const FuseValues& a, const FuseValues& b) {
    return a.list == b.list && a.box == b.box && a.items == b.items && a.id == b.id;
}

// The engine as the panel drives it: the bit view loaded from the bytes first.
FuseValues fill(const LayoutDesc& l, int device, FuseBytes& b) {
    if (l.working == Working::BitView) b.bitView = wordBits(b.config);
    FuseValues v;
    fillValues(l, device, b, v);
    return v;
}
FuseBytes readBack(const LayoutDesc& l, int device, const FuseValues& v, FuseBytes b) {
    if (l.working == Working::BitView) b.bitView = wordBits(b.config);
    EXPECT_EQ(readBackValues(l, device, v, b), ReadBack::Ok);
    b.bitView = {};
    return b;
}

// A second fill of what a read-back composed, and a second read-back. `fileForm`: the
// second fill starts from the fuse file pair, as when a saved .fus file is opened.
struct Again {
    FuseValues values;
    FuseBytes bytes;
};
Again fillAgain(const LayoutDesc& l, int device, const FuseBytes& once, bool fileForm) {
    FuseBytes reopened = once;
    if (fileForm) reopened.config[0] = once.filePair[0], reopened.config[1] = once.filePair[1];
    FuseBytes scratch = reopened;
    const FuseValues values = fill(l, device, scratch);
    return {values, readBack(l, device, values, reopened)};
}

::testing::AssertionResult sameAgain(const LayoutDesc& l, int device, const FuseValues& first,
                                     const FuseBytes& once, const Again& again, bool fileForm) {
    if (!(again.values == first) &&
        !(comparable(l, device, again.values, first) == comparable(l, device, first, first)))
        return ::testing::AssertionFailure() << "the controls differ after a second fill";
    const FuseBytes& twice = again.bytes;
    const bool sameBytes =
        fileForm ? twice.config[0] == once.config[0] : twice.config == once.config;
    if (!sameBytes || twice.filePair != once.filePair || twice.id != once.id)
        return ::testing::AssertionFailure() << "a second read-back gives other bytes";
    return ::testing::AssertionSuccess();
}

std::string deviceName(const ::testing::TestParamInfo<int>& info) {
    return "Device" + std::to_string(info.param);
}

// ---- PIC12/16: every configuration word ----

class EveryWord : public ::testing::TestWithParam<int> {};

TEST_P(EveryWord, ReadBackFilledAgainShowsTheSameControlsAndBytes) {
    const int d = GetParam();
    const LayoutDesc& l = *fuseLayoutFor(d)->desc;
    FuseBytes b;
    b.id = {0xC0, 0xDE};
    // Many words compose the same bytes: each of those is filled again only once.
    std::map<std::array<uint8_t, 16>, Again> seen;
    for (unsigned w = 0; w <= 0xFFFF; ++w) {
        b.config[0] = static_cast<uint8_t>(w & 0xFF);
        b.config[1] = static_cast<uint8_t>(w >> 8);
        FuseBytes scratch = b;
        const FuseValues first = fill(l, d, scratch);
        const FuseBytes once = readBack(l, d, first, b);
        auto it = seen.find(once.config);
        if (it == seen.end()) it = seen.emplace(once.config, fillAgain(l, d, once, false)).first;
        ASSERT_TRUE(sameAgain(l, d, first, once, it->second, false)) << "word " << w;
    }
}

INSTANTIATE_TEST_SUITE_P(Pic12And16, EveryWord, ::testing::ValuesIn(devicesOfEachVariant(46, 91)),
                         deviceName);

// ---- AVR and PIC18: every value of each byte, the other bytes random ----

TEST(EveryByte, ReadBackFilledAgainShowsTheSameControlsAndBytes) {
    for (int d : {12, 13, 14, 15, 16, 17, 18, 21, 27, 92, 93, 94, 95, 96, 98, 100, 101}) {
        SCOPED_TRACE(d);
        const LayoutDesc& l = *fuseLayoutFor(d)->desc;
        // AT89S and AT90S fill in the side file's polarity and compose the chip's.
        const bool fileForm = d >= 12 && d <= 15;
        const int bytes = d >= 92 ? 14 : 2;
        std::mt19937 rng(static_cast<unsigned>(d));
        for (int k = 0; k < bytes; ++k) {
            for (int value = 0; value < 256; ++value) {
                FuseBytes b = randomBytes(rng);
                b.config[size_t(k)] = static_cast<uint8_t>(value);
                FuseBytes scratch = b;
                const FuseValues first = fill(l, d, scratch);
                const FuseBytes once = readBack(l, d, first, b);
                ASSERT_TRUE(sameAgain(l, d, first, once, fillAgain(l, d, once, fileForm), fileForm))
                    << "byte " << k << " = " << value;
            }
        }
    }
}

// ---- every layout ----

std::vector<int> devicesWithALayout() {
    std::vector<int> out;
    for (int d = 0; d <= 101; ++d)
        if (fuseLayoutFor(d)) out.push_back(d);
    return out;
}

TEST(EveryLayout, TheReadBackReInvertsWhatTheFillInverted) {
    for (int d : devicesWithALayout()) {
        SCOPED_TRACE(d);
        const LayoutDesc& l = *fuseLayoutFor(d)->desc;
        std::mt19937 rng(static_cast<unsigned>(d));
        for (int round = 0; round < 200; ++round) {
            FuseBytes b = randomBytes(rng);
            b.bitView = l.working == Working::BitView ? wordBits(b.config) : b.bitView;
            const auto before = b.bitView;
            FuseValues v;
            fillValues(l, d, b, v);
            const auto filled = b.bitView;
            readBackValues(l, d, v, b);
            bool flipped = false;
            for (size_t k = 0; k < 16; ++k) {
                if (filled[k] == before[k]) continue;
                flipped = true;
                ASSERT_EQ(b.bitView[k], before[k]) << "bit " << k;
            }
            if (l.working == Working::ConfigBlock) {
                ASSERT_EQ(b.bitView, before); // scratch only
            }
            if (flipped) { // no flag stays inverted: the bit view is the word composed
                ASSERT_EQ(b.bitView, wordBits(b.config));
            }
        }
    }
}

// Bits the read-back must leave as they were, whatever the controls say.
struct KeptBits {
    IndexRange devices[4];
    int first, last; // bit numbers over the configuration block, 8 k + b
};
constexpr IndexRange kNo = kNoRange;
constexpr KeptBits kKept[] = {
    {{{0, 11}, {22, 22}, {25, 25}, {29, 31}}, 0, 127}, // lock lists and W78: only the lock mode
    {{{12, 15}, kNo, kNo, kNo}, 8, 127},               // AT89S, AT90S: byte 1 stays
    {{{16, 21}, {27, 28}, kNo, kNo}, 16, 127},
    {{{46, 91}, kNo, kNo, kNo}, 14, 127}, // PIC12/16: bits 14 and 15
    {{{92, 101}, kNo, kNo, kNo}, 0, 7},   // PIC18: bytes 0, 4 and 7
    {{{92, 101}, kNo, kNo, kNo}, 32, 39},
    {{{92, 101}, kNo, kNo, kNo}, 56, 63},
    {{{92, 101}, kNo, kNo, kNo}, 112, 127},
    {{{93, 93}, {95, 95}, {97, 97}, {99, 100}}, 40, 47}, // byte 5 of the seven-fuse devices
};

bool alwaysKept(int device, int bit) {
    for (const KeptBits& k : kKept)
        if (inRanges(k.devices, device) && bit >= k.first && bit <= k.last) return true;
    return false;
}

TEST(EveryLayout, BitsNoControlWritesKeepTheirValue) {
    for (int d : devicesWithALayout()) {
        SCOPED_TRACE(d);
        std::mt19937 rng(static_cast<unsigned>(d) + 1000);
        for (int round = 0; round < 20; ++round) {
            const FuseValues values = decode(d, randomBytes(rng));
            const FuseBytes base = randomBytes(rng);
            FuseBytes out = base;
            encode(d, values, out);
            for (int bit = 0; bit < 128; ++bit) {
                FuseBytes flippedBase = base;
                flippedBase.config[size_t(bit / 8)] ^= static_cast<uint8_t>(1 << (bit % 8));
                FuseBytes flipped = flippedBase;
                encode(d, values, flipped);
                std::array<uint8_t, 16> diff{};
                for (size_t i = 0; i < 16; ++i)
                    diff[i] = out.config[i] ^ flipped.config[i];
                std::array<uint8_t, 16> onlyThisBit{}, none{};
                onlyThisBit[size_t(bit / 8)] = static_cast<uint8_t>(1 << (bit % 8));
                // A bit is either written (no trace of the base) or kept, never spread.
                const bool kept = diff == onlyThisBit;
                ASSERT_TRUE(kept || diff == none) << "bit " << bit;
                if (alwaysKept(d, bit)) {
                    ASSERT_TRUE(kept) << "bit " << bit;
                }
                ASSERT_EQ(flipped.filePair, out.filePair) << "bit " << bit;
                ASSERT_EQ(flipped.lockMode, out.lockMode) << "bit " << bit;
            }
        }
    }
}

} // namespace
} // namespace kestro
