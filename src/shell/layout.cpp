// The window as it is created: every control with its place, colours and initial
// visibility. Creation order is stacking order: later controls lie on top.

#include "shell/tmyform.h"

namespace kestro {

namespace {

FontStyle comic(int px = 13, uint32_t color = kBlack) { return {"Comic Sans MS", px, color}; }

struct Builder {
    FormModel& m;
    int add(std::string name, ControlKind kind, int parent, Rect r, std::string caption = {},
            bool visible = true) {
        Control c;
        c.name = std::move(name);
        c.kind = kind;
        c.parent = parent;
        c.rect = r;
        c.caption = std::move(caption);
        c.visible = visible;
        c.font = comic();
        return m.add(std::move(c));
    }
    Control& last() { return m.controls.back(); }
};

} // namespace

void TMyForm::buildControls() {
    Builder b{model};
    using K = ControlKind;

    const int panel2 = b.add("Panel2", K::Panel, -1, {0, 0, 505, 25});
    b.add("SizeLabel", K::Label, panel2, {144, 5, 200, 16}, "Size:");
    b.last().font.color = kBlue;
    b.add("ProgDatButt", K::Button, panel2, {360, 0, 125, 25}, "Program/Data");

    b.add("ProgGrid", K::Grid, -1, {0, 25, 505, 360});
    b.last().stick = Stick::Grows; // a larger window shows more rows
    b.last().color = kNavy;
    b.last().font = {"Courier", 12, kWhite};
    b.last().rowCount = 20;

    const int sPanel = b.add("SPanel", K::Panel, -1, {0, 384, 505, 25});
    b.last().stick = Stick::BottomLeft;
    b.add("SLabel", K::Label, sPanel, {10, 5, 485, 15});
    b.last().font.color = kPurple;

    const int panel1 = b.add("Panel1", K::Panel, -1, {0, 409, 505, 49});
    b.last().stick = Stick::BottomLeft;
    const int gb1 = b.add("GroupBox1", K::GroupBox, panel1, {16, 5, 105, 39}, "Device:");
    b.add("TypeLabel", K::Label, gb1, {8, 17, 92, 16});
    b.last().font.color = kBlue;
    const int gb2 = b.add("GroupBox2", K::GroupBox, panel1, {152, 5, 249, 39}, "File:");
    b.add("FileLabel", K::Label, gb2, {8, 17, 236, 16});
    b.last().font.color = kBlue;
    const int gb3 = b.add("GroupBox3", K::GroupBox, panel1, {432, 5, 57, 39}, "Port:");
    b.add("ComLabel", K::Label, gb3, {10, 17, 42, 16});
    b.last().font.color = kBlue;

    // Fuse and configuration panel; SetFuse places the controls it uses.
    const int setPanel = b.add("SetPanel", K::Panel, -1, {505, 0, 250, 300});
    b.last().stick = Stick::SidePanel;
    b.add("FuseLabel", K::Label, setPanel, {8, 5, 230, 20});
    b.last().font = comic(16, kBlue);
    for (int i = 4; i <= 11; ++i)
        b.add("GroupBox" + std::to_string(i), K::GroupBox, setPanel, {8, 30, 234, 50});
    for (int i = 1; i <= 5; ++i)
        b.add("ComboBox" + std::to_string(i), K::ComboBox, setPanel, {16, 48, 217, 21});
    for (int i = 1; i <= 10; ++i)
        b.add("CheckBox" + std::to_string(i), K::CheckBox, setPanel, {16, 48, 217, 17});
    for (int i = 1; i <= 2; ++i)
        b.add("Edit" + std::to_string(i), K::Edit, setPanel, {16, 48, 217, 21});
    for (int i = 1; i <= 5; ++i) {
        b.add("CheckListBox" + std::to_string(i), K::CheckListBox, setPanel, {16, 48, 217, 80});
        b.last().color = kButtonFace;
    }
    b.add("ConfigLargeButton", K::Button, setPanel, {175, 0, 70, 25}, "Large Size");
    b.add("Config2Button", K::Button, setPanel, {134, 420, 100, 25});

    // Socket picture panel.
    const int imgPanel = b.add("ImgPanel", K::Panel, -1, {505, 300, 250, 100}, {}, false);
    b.last().stick = Stick::TopRight;
    b.add("ImgLabel", K::Label, imgPanel, {8, 5, 160, 16}, "Device in Socket:");
    b.add("ImgButton", K::Button, imgPanel, {176, 0, 75, 25}, "OK");
    for (const char* pic : {"Img_IC20", "Img_IC40", "Img_IC8_5", "Img_IC8_10", "Img_IC14_8",
                            "Img_IC18", "Img_IC24", "Img_IC28", "Img_IC28PIC", "Img_IC32",
                            "Img_IC14_10", "Img_IC20_m3", "Img_IC20_8"})
        b.add(pic, K::Image, imgPanel, {60, 80, 200, 300}, {}, false);

    // Operation panel, floating over the grid.
    const int procPanel = b.add("ProcPanel", K::Panel, -1, {50, 176, 405, 80}, {}, false);
    b.last().color = kBlack;
    b.add("ProcLabel", K::Label, procPanel, {10, 5, 385, 30}, " Programming Chip ");
    b.last().font = comic(19, kRed);
    b.last().centred = true;
    b.add("PosLabel", K::Label, procPanel, {20, 45, 70, 16}, "000000h");
    b.last().font.color = kAqua;
    b.add("ProcBar", K::Gauge, procPanel, {100, 40, 205, 25});
    b.add("ProcCancel", K::Button, procPanel, {315, 40, 75, 25}, "Cancel");

    // Marker area entry.
    const int marker = b.add("MarkerPanel", K::Panel, -1, {150, 40, 205, 100}, {}, false);
    const int startGroup = b.add("StartGroup", K::GroupBox, marker, {5, 4, 120, 44}, "Start Address:");
    b.add("StartEdit", K::Edit, startGroup, {10, 17, 100, 21});
    b.last().maxLength = 6;
    const int endGroup = b.add("EndGroup", K::GroupBox, marker, {5, 52, 120, 44}, "End Address:");
    b.add("EndEdit", K::Edit, endGroup, {10, 17, 100, 21});
    b.last().maxLength = 6;
    b.add("MarkerOKButton", K::Button, marker, {130, 10, 70, 80}, "OK");
}

} // namespace kestro
