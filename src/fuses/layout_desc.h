#pragma once
// A fuse layout as data: its groups, lists, check boxes, check-box lists and ID field,
// where each sits, and which bits each one shows. One engine builds, fills and reads
// back any description; the few rules that are not bits of controls are small named
// functions beside their table.
//
// Bits are numbered in the layout's working copy: for the 8051, AVR and PIC12/16
// layouts that is the bit view (bit k of the configuration word, 0..15); for PIC18
// it is the configuration block, bit b of byte k being 8 k + b (see cfg()).

#include "devices/fuse_groups.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace kestro {

inline constexpr int kListCount = 5;      // ComboBox1..ComboBox5
inline constexpr int kBoxCount = 10;      // CheckBox1..CheckBox10
inline constexpr int kCheckListCount = 5; // CheckListBox1..CheckListBox5

// Digits the ID field holds: two bytes for PIC12/16, eight for PIC18.
enum class IdWidth : uint8_t { Pic16 = 2, Pic18 = 8 };

// Bit b of configuration byte k, in the PIC18 working copy.
constexpr int cfg(int k, int b) { return 8 * k + b; }

// Where a check box, a check-list item or one bit of a list index goes: a bit of
// the working copy, shown checked (or as index bit 1) when the bit is 1, or when it
// is 0 for an inverted (active-low) bit; or a weight added to the lock mode.
struct Target {
    int8_t bit = -1;
    bool inverted = false;
    uint8_t lockWeight = 0;
    constexpr bool isBit() const { return bit >= 0; }
};
constexpr Target bit(int n) { return {static_cast<int8_t>(n), false, 0}; }
constexpr Target inv(int n) { return {static_cast<int8_t>(n), true, 0}; }
constexpr Target lockBit(int weight) { return {-1, false, static_cast<uint8_t>(weight)}; }

// A place that differs in the PIC18 large view; zero height: as in the small view.
struct Spot {
    int16_t left = 0, top = 0, height = 0;
};

struct GroupRow {
    Devices devices;
    int8_t box; // 0 = GroupBox4
    std::string_view caption;
    int16_t top, height; // Left 5, Width 240
    Spot large{};
};

using Items = std::span<const std::string_view>;

enum class ListFill : uint8_t {
    First,   // always the first item
    Bits,    // index = the value of its bits, unless a pattern maps that value
    Pattern, // index = the pattern's index for the value of its bits, else none
};

// A value of a list's bits and the item it selects.
struct Pattern {
    uint8_t value;
    int8_t index;
};

struct ListRow {
    Devices devices;
    int8_t list;  // 0 = ComboBox1
    int8_t group; // the group it sits in
    Items items;
    int16_t width;
    ListFill fill;
    // Index bit j <-> bits[j]: the value read is sum bits[j] << j, so a pattern's
    // binary literal reads from the last bit listed down to the first.
    std::array<Target, 4> bits{};
    std::span<const Pattern> patterns{};
    bool lock = false;      // the read-back turns the selection into the lock mode
    bool smallFont = false; // the 8051 and AT90S lists
};

struct BoxRow {
    Devices devices;
    std::string_view caption;
    Target target;
    bool shown = true; // a hidden box is filled and read back all the same
};
inline constexpr bool kHidden = false;

struct CheckListRow {
    int8_t list; // 0 = CheckListBox1
    int8_t group;
    int16_t height;
    int16_t largeHeight = 0;
};

struct ItemRow {
    Devices devices;
    int8_t list;
    std::string_view caption;
    Target target;
};

// After the controls are read back: bits := a constant or a copy of another bit.
inline constexpr int8_t kZeros = -1, kOnes = -2;
struct AfterRow {
    Devices devices;
    uint16_t bits; // mask over the configuration word
    int8_t from;   // a bit number, kZeros or kOnes
};
constexpr uint16_t bitRange(int first, int last) {
    uint16_t mask = 0;
    for (int k = first; k <= last; ++k)
        mask = static_cast<uint16_t>(mask | 1u << k);
    return mask;
}
constexpr uint16_t bitSet(std::initializer_list<int> bits) {
    uint16_t mask = 0;
    for (int k : bits)
        mask = static_cast<uint16_t>(mask | 1u << k);
    return mask;
}

enum class Working : uint8_t {
    BitView,     // the configuration word, through the bit view
    ConfigBlock, // PIC18: the fourteen configuration bytes, read directly
};

// The values a layout's controls hold, by control number.
struct FuseValues {
    std::array<int, kListCount> list{-1, -1, -1, -1, -1}; // selected item, -1 none
    std::array<bool, kBoxCount> box{};
    std::array<uint16_t, kCheckListCount> items{}; // bit i: item i checked
    std::string id;

    bool checked(int checkList, int item) const {
        return (items[static_cast<size_t>(checkList)] >> item) & 1;
    }
    void setChecked(int checkList, int item, bool on);
};

// The bytes a fill reads and a read-back writes.
struct FuseBytes {
    std::array<uint8_t, 16> config{}; // configuration block
    std::array<uint8_t, 16> id{};     // ID block
    std::array<uint8_t, 16> bitView{};
    uint8_t lockMode = 0;
    std::array<uint8_t, 2> filePair{}; // images of configuration bytes 0 and 1
};

// What a read-back computes that is not a bit of a control.
using ByteRule = void (*)(int device, const FuseValues& values, FuseBytes& bytes);

// The PIC18 view toggle: index 0 the small view, 1 the large one.
struct ViewToggle {
    struct Place {
        int16_t left, top, width, height;
    };
    struct Corner {
        int16_t left, top;
    };
    Place panel[2];
    Corner button[2]; // its size stays as the window made it
    std::string_view caption[2];
};

struct LayoutDesc {
    Working working = Working::BitView;
    int8_t innerTop = 20; // a group's controls start this far below its top
    std::span<const GroupRow> groups{};
    std::span<const ListRow> lists{};
    int8_t boxGroup = 0; // the group the check boxes stack in
    std::span<const BoxRow> boxes{};
    std::span<const CheckListRow> checkLists{};
    std::span<const ItemRow> items{};
    std::span<const AfterRow> after{};
    int8_t idGroup = -1; // -1: no ID field
    IdWidth idWidth = IdWidth::Pic16;
    bool storesWord = false;     // read-back: configuration bytes 0, 1 := bit view
    uint8_t lockBase = 0;        // lock mode before the weights of checked controls
    bool fillClearsLock = false; // the fill sets the lock mode to 0
    ByteRule rule = nullptr;     // runs after the controls are read back
    const ViewToggle* views = nullptr;
};

} // namespace kestro
