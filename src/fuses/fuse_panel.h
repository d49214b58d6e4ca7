#pragma once
// The building blocks every fuse layout is made of: the controls of the fuse-panel
// control table, the placement rules, the bit view and the ID field.

#include "shell/form_model.h"
#include "shell/state.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestro {

class TMyForm;

// Positions of the first control of each kind in the fuse-panel control table.
inline constexpr int kGroupSlot = 0;      // GroupBox4..GroupBox11
inline constexpr int kComboSlot = 8;      // ComboBox1..ComboBox5
inline constexpr int kCheckBoxSlot = 13;  // CheckBox1..CheckBox10
inline constexpr int kIdFieldSlot = 23;   // Edit1
inline constexpr int kCheckListSlot = 25; // CheckListBox1..CheckListBox5

inline constexpr Rect kSetPanelPlace{505, 0, 250, 458};
inline constexpr int kListWidth = 230;
inline constexpr int kOscillatorListWidth = 70; // four-item oscillator lists
inline constexpr int kSmallFontPx = 12;         // the layouts' "size 9" font

// Digits the ID field holds: two bytes for PIC12/16, eight for PIC18.
enum class IdWidth : uint8_t { Pic16 = 2, Pic18 = 8 };

class FusePanel {
public:
    explicit FusePanel(TMyForm& form);

    TMyForm& form;
    FormModel& model;
    State& st;

    // Controls by their number within their kind, 0-based (groupBox(0) is GroupBox4,
    // comboBox(0) is ComboBox1, ...).
    Control& groupBox(int n);
    Control& comboBox(int n);
    Control& checkBox(int n);
    Control& checkListBox(int n);
    Control& idField();

    // ---- building (SetFuse mode 2) ----
    // Every builder shows the control it places.
    Control& addGroup(int n, int top, int height, std::string_view caption);
    Control& addList(int n, int groupTop, std::span<const std::string_view> items,
                     int width = kListWidth);
    // Check boxes first..first+captions-1, stacked at a pitch of 20 from groupTop + 20.
    void addCheckBoxes(int groupTop, std::span<const std::string_view> captions, int first = 0);
    Control& addCheckList(int n, int groupTop, int height,
                          std::span<const std::string_view> items);
    Control& addIdField(int groupTop, IdWidth width);

    // ---- filling (SetFuse mode 1 and 2) ----
    // An index that names no item clears the selection.
    void selectItem(int n, int index);
    void fillIdField(IdWidth width);
    // Flips the flags of the bit view a layout shows inverted (active-low bits); the
    // read-back flips them again before the bytes are composed.
    void invertBits(std::initializer_list<int> bits);
    bool bit(int k) const { return st.fuse.bitView[static_cast<size_t>(k)] != 0; }
    void setBit(int k, bool on) { st.fuse.bitView[static_cast<size_t>(k)] = on ? 1 : 0; }

private:
    Control& slot(int position);
};

// Bit view := the configuration word (configuration block bytes 1 and 0).
void loadBitView(FusePanelState& fuse, const Images& img);
// Configuration block bytes 1 and 0 := the bit view.
void storeBitView(const FusePanelState& fuse, Images& img);

// "%02X" per ID block byte, no separators.
std::string idFieldText(const Images& img, IdWidth width);
// The ID bytes of the field's first whitespace-delimited token, which must start with
// 2 x width hexadecimal digits; anything after them is ignored. Nothing when it does
// not.
std::optional<std::array<uint8_t, 8>> parseIdField(std::string_view text, IdWidth width);

} // namespace kestro
