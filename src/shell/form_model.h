#pragma once
// Plain model of every control and menu item of the main window. The core changes
// it; the Qt shell copies it into widgets.

#include "ops/colors.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestro {

enum class ControlKind : uint8_t {
    Panel, Label, Button, GroupBox, ComboBox, CheckBox, CheckListBox, Edit, Image, Grid, Gauge
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// How a control of the client area follows a window larger than its design size: it
// keeps its distance to the edges named, or grows with the window.
enum class Stick : uint8_t {
    TopLeft,
    TopRight,
    BottomLeft,
    Grows,
    // The fuse panel: at the right edge, or, where it covers the whole width (the PIC18
    // large view), growing with the window.
    SidePanel,
};

struct FontStyle {
    std::string family = "Comic Sans MS";
    int pixelSize = 13;
    uint32_t color = kBlack;
};

struct Control {
    std::string name;
    ControlKind kind = ControlKind::Panel;
    int parent = -1; // index of the parent control, -1 for the window's client area
    Rect rect;
    bool visible = true;
    bool enabled = true;
    std::string caption;  // text of labels, buttons, group boxes, edits
    bool checked = false; // check boxes
    uint32_t color = kNoColor;
    FontStyle font;
    bool centred = false;
    std::vector<std::string> items;     // combo and check-list items
    int itemIndex = -1;                 // combo selection
    std::vector<uint8_t> itemChecked;   // check-list states
    int maxLength = 0;                  // edits: 0 = no limit
    int position = 0, maxValue = 100;   // gauge
    uint32_t barColor = kNoColor;       // gauge
    int rowCount = 0;                   // grid
    Stick stick = Stick::TopLeft;      // for controls of the client area
    std::string hint;                   // the tooltip
};

struct MenuItem {
    std::string name;
    std::string caption;
    std::string shortcut; // "Ctrl+L", "F3", ... as Qt key sequences read them
    int parent = -1;      // -1: top level of the menu bar
    std::vector<int> children;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool separator = false;
    int deviceIndex = -1; // device items select this index
};

struct WindowModel {
    std::string caption = "Kestro";
    Rect rect{20, 20, 755, 458}; // client area at its design size, the smallest it gets
    int width = 755, height = 458; // the client area as the window has it now
};

class FormModel {
public:
    int add(Control c);
    int addMenu(MenuItem m);

    Control& control(std::string_view name);
    const Control& control(std::string_view name) const;
    int controlIndex(std::string_view name) const; // -1 when unknown
    // The client area became this size (never below the design size).
    void resizeClient(int width, int height);
    // Where the control is in its parent now: `rect` is its place at the design size,
    // a control of the client area follows the window's growth as its `stick` says.
    Rect placed(size_t i) const;
    // The controls Tab visits, in reading order: each region of the window (the grid,
    // the fuse panel ...) left to right, inside it top to bottom, then left to right.
    // Only those shown and enabled, their parents shown too.
    std::vector<int> tabOrder() const;
    MenuItem& menu(std::string_view name);
    const MenuItem& menu(std::string_view name) const;
    int menuIndex(std::string_view name) const;

    std::vector<Control> controls;
    std::vector<MenuItem> menus;
    WindowModel window;
    int focus = -1;          // control with the keyboard focus
    uint64_t focusRequests = 0; // bumped by setFocus: the same control may be asked for again
    void setFocus(std::string_view name) {
        focus = controlIndex(name);
        ++focusRequests;
    }
    int defaultButton = -1;  // the button Enter presses; -1 for none
    uint64_t gridRevision = 0; // bumped whenever the grid's contents may have changed

private:
    std::unordered_map<std::string, int> controlByName_;
    std::unordered_map<std::string, int> menuByName_;
};

} // namespace kestro
