#pragma once
// The main menu: the fixed items and the device menus generated from one table.

#include "devices/traits.h"

#include <span>
#include <string>
#include <string_view>

namespace kestro {

class FormModel;

struct DeviceSubMenu {
    std::string_view top;     // name of the top-level menu
    std::string_view name;
    DeviceMenu menu;          // the devices whose traits name it, by index
};

// Caption and component name of a device's menu item (also defined for 23, 24, 26,
// whose handlers exist without an item).
std::string deviceItemCaption(int deviceIndex);
std::string deviceItemName(int deviceIndex);
// True for the 186 indexes that have a handler: 0..35 and 46..195.
bool hasDeviceHandler(int deviceIndex);
// Device index of a handler name such as "PIC16F841Click"; -1 when none.
int deviceIndexOfHandler(std::string_view handlerName);

// Appends the whole menu tree to the model, in menu-bar order.
void buildMainMenu(FormModel& model);

} // namespace kestro
