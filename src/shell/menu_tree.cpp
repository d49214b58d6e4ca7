#include "shell/menu_tree.h"

#include "devices/catalogue.h"
#include "devices/traits.h"
#include "shell/form_model.h"

#include <array>
#include <cctype>

namespace kestro {
namespace {

struct FixedMenuEntry {
    std::string_view parent; // empty for a top-level menu
    std::string_view name;   // empty for a separator
    std::string_view caption;
    std::string_view shortcut;
};

constexpr std::array<DeviceSubMenu, 27> kSubMenus{{
    {"MicroControllers1", "AT89xxx1", DeviceMenu::AT89xxx},
    {"MicroControllers1", "AT90sXXX1", DeviceMenu::AT90xxx},
    {"MicroControllers1", "Winbond1", DeviceMenu::Winbond},
    {"MicroControllers1", "Dallas1", DeviceMenu::Dallas},
    {"MicroControllers1", "Toshiba1", DeviceMenu::Toshiba},
    {"MicroControllers1", "N87Cxxx1", DeviceMenu::N87Cxxx},
    {"MicroControllers1", "PIC12Cxxx1", DeviceMenu::PIC12Cxxx},
    {"MicroControllers1", "PIC16Cxxx1", DeviceMenu::PIC16Cxxx},
    {"MicroControllers1", "PIC12Fxxx1", DeviceMenu::PIC12Fxxx},
    {"MicroControllers1", "PIC16Fxxx1", DeviceMenu::PIC16Fxxx},
    {"MicroControllers1", "PIC16F87x1", DeviceMenu::PIC16F87x},
    {"MicroControllers1", "PIC18Fxxx1", DeviceMenu::PIC18Fxxx},
    {"SerialEEPROMs1", "N93xxx1", DeviceMenu::N93xxx},
    {"SerialEEPROMs1", "N17xxx1", DeviceMenu::N17xxx},
    {"SerialEEPROMs1", "N24xxx1", DeviceMenu::N24xxx},
    {"SerialEEPROMs1", "N25xxx1", DeviceMenu::N25xxx},
    {"SerialEEPROMs1", "N59xxx1", DeviceMenu::N59xxx},
    {"SerialEEPROMs1", "SDA25xx1", DeviceMenu::SDA25xx},
    {"SerialEEPROMs1", "PCF1", DeviceMenu::PCF},
    {"SerialEEPROMs1", "TVEEPROM1", DeviceMenu::TVEEPROM},
    {"ParallelEEPROMs1", "RAMNVRAM1", DeviceMenu::RAMNVRAM},
    {"ParallelEEPROMs1", "N27xxx87xxx1", DeviceMenu::N27xxx87xxx},
    {"ParallelEEPROMs1", "N28xxx1", DeviceMenu::N28xxx},
    {"ParallelEEPROMs1", "N29xxx49xxx1", DeviceMenu::N29xxx49xxx},
    {"ParallelEEPROMs1", "EPROM16bit1", DeviceMenu::EPROM16bit},
    {"Others1", "HCS1", DeviceMenu::HCS},
    {"Others1", "TCN1", DeviceMenu::TCN},
}};

// The menu bar in order; the device sub-menus are hung under their top-level menus
// afterwards.
constexpr std::array<FixedMenuEntry, 42> kFixed{{
    {"", "File1", "&File", ""},
    {"File1", "OpenLastFile1", "Open Last File", "Ctrl+L"},
    {"File1", "Open1", "Open", "F3"},
    {"File1", "Save1", "Save", "F2"},
    {"File1", "BufferReset1", "Buffer Reset", ""},
    {"File1", "", "-", ""},
    {"File1", "Exitmnu", "Exit   Alt+F4 or", "F10"},
    {"", "Process1", "P&rocess", ""},
    {"Process1", "Identify1", "Identify", ""},
    {"Process1", "Read1", "Read", ""},
    {"Process1", "Erase1", "Erase", ""},
    {"Process1", "Program1", "Program", ""},
    {"Process1", "Verify1", "Verify", ""},
    {"Process1", "ProgramSecurity1", "Program Security", ""},
    {"Process1", "ProgramFuse1", "Program Fuse", ""},
    {"Process1", "ReadFuse1", "Read Fuse", ""},
    {"Process1", "EraseProgram1", "Erase+Program", ""},
    {"Process1", "EraseProgramSecurity1", "Erase+Program+Security", ""},
    {"Process1", "CheckErase1", "Check Erase", ""},
    {"", "MicroControllers1", "&MicroControllers", ""},
    {"", "SerialEEPROMs1", "&Serial (E)EPROMs", ""},
    {"", "ParallelEEPROMs1", "&Parallel (E)EPROMs", ""},
    {"", "Others1", "&Others", ""},
    {"", "Setup1", "S&etup", ""},
    {"Setup1", "VerifyafterProgram1", "Verify after Program  [   ]", ""},
    {"Setup1", "AutoDataMemoryProgram1", "Auto Data Memory Program  [   ]", ""},
    {"Setup1", "MarkerArea1", "Marker Area", ""},
    {"Setup1", "", "-", ""},
    {"Setup1", "SerialPort1", "Serial Port", ""},
    {"SerialPort1", "COM11", "COM1", ""},
    {"SerialPort1", "COM21", "COM2", ""},
    {"SerialPort1", "COM31", "COM3", ""},
    {"SerialPort1", "COM41", "COM4", ""},
    {"SerialPort1", "", "-", ""},
    {"SerialPort1", "SerialDevice1", "Device...", ""},
    {"Setup1", "Initialisation1", "Initialisation", "F5"},
    {"Setup1", "HardwareTest1", "Hardware Test", ""},
    {"", "Help1", "&Help", ""},
    {"Help1", "DeviceinSocket1", "Device in Socket", "F4"},
    {"Help1", "", "-", ""},
    {"Help1", "About1", "About", ""},
    // Shown only while the interface is locked, so the menu bar is never empty.
    {"", "nihil", " ", ""},
}};


} // namespace

bool hasDeviceHandler(int i) { return traitsOf(i).hasHandler; }

std::string deviceItemCaption(int deviceIndex) {
    if (const std::string_view c = traitsOf(deviceIndex).itemCaption; !c.empty()) return std::string(c);
    return std::string(catalogueRows()[static_cast<size_t>(deviceIndex)].name);
}

std::string deviceItemName(int deviceIndex) {
    if (const std::string_view n = traitsOf(deviceIndex).itemName; !n.empty()) return std::string(n);
    const std::string caption = deviceItemCaption(deviceIndex);
    std::string name;
    for (char c : caption)
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    if (!caption.empty() && std::isdigit(static_cast<unsigned char>(caption[0])))
        name.insert(name.begin(), 'N');
    return name + "1";
}

int deviceIndexOfHandler(std::string_view handlerName) {
    constexpr std::string_view kSuffix = "Click";
    if (!handlerName.ends_with(kSuffix)) return -1;
    handlerName.remove_suffix(kSuffix.size());
    for (int i = 0; i < kDeviceCount; ++i)
        if (hasDeviceHandler(i) && deviceItemName(i) == handlerName) return i;
    return -1;
}

void buildMainMenu(FormModel& model) {
    auto addEntry = [&model](const FixedMenuEntry& e) {
        MenuItem m;
        m.name = std::string(e.name);
        m.caption = std::string(e.caption);
        m.shortcut = std::string(e.shortcut);
        m.separator = e.name.empty();
        m.parent = e.parent.empty() ? -1 : model.menuIndex(e.parent);
        model.addMenu(std::move(m));
    };
    for (const auto& e : kFixed) addEntry(e);

    for (const auto& sub : kSubMenus) {
        MenuItem s;
        s.name = std::string(sub.name);
        s.caption = std::string(deviceMenuCaption(sub.menu));
        s.parent = model.menuIndex(sub.top);
        const int subIndex = model.addMenu(std::move(s));
        for (int i = 0; i < kDeviceCount; ++i) {
            if (traitsOf(i).menu != sub.menu) continue;
            MenuItem item;
            item.name = deviceItemName(i);
            item.caption = deviceItemCaption(i);
            item.parent = subIndex;
            item.deviceIndex = i;
            model.addMenu(std::move(item));
        }
    }
    MenuItem& nihil = model.menu("nihil");
    nihil.enabled = false;
    nihil.visible = false;
}

} // namespace kestro
