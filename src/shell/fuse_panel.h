#pragma once
// The building blocks every fuse layout is made of: the controls of the fuse-panel
// control table, the placement rules, and the way values and bytes move between the
// controls, the state record and the layout engine.

#include "fuses/layout_desc.h"
#include "shell/form_model.h"
#include "session/state.h"

#include <span>
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
inline constexpr int kGroupLeft = 5, kGroupWidth = 240;
inline constexpr int kListWidth = 230;
inline constexpr int kSmallFontPx = 12; // the layouts' "size 9" font
inline constexpr int kPanelFontPx = 13; // what the window gives its controls

// Where a group's controls start: its left edge + 5 and its top + the layout's offset.
struct Anchor {
    int left;
    int top;
};

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

    // ---- building (SetFuse mode 2); every builder shows what it places ----
    Control& addGroup(int n, Rect place, std::string_view caption);
    // Cleared and loaded with the items, nothing selected.
    Control& addList(int n, Anchor at, Items items, int width, bool smallFont);
    // The check box in position i sits 20 x i below the anchor. Its check state stays.
    Control& addCheckBox(int n, Anchor at, int position, std::string_view caption);
    Control& addCheckList(int n, Anchor at, int height, std::span<const std::string_view> items);
    Control& addIdField(Anchor at, IdWidth width);

    // ---- values: selections, check states and the ID text ----
    FuseValues values();
    // A selection that names no item clears the list.
    void show(const FuseValues& values);

    // ---- the bytes the engine works on, from and back into the state record ----
    FuseBytes bytes() const;
    void store(const FuseBytes& bytes);

  private:
    Control& slot(int position);
};

// The whole layout of a device on the panel: build places and captions every control
// it uses in the chosen view, fill shows the fuse bytes, read-back composes them.
void buildLayout(FusePanel& panel, const LayoutDesc& layout, int device, bool largeView);
void fillLayout(FusePanel& panel, const LayoutDesc& layout, int device);
bool readBackLayout(FusePanel& panel, const LayoutDesc& layout, int device); // false: bad ID

} // namespace kestro
