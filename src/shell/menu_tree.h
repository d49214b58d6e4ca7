#pragma once
// The main menu: the fixed items and the device menus generated from one table.

#include "devices/selection_rules.h"
#include "devices/traits.h"

#include <span>
#include <string>
#include <string_view>

namespace kestro {

class FormModel;

// The Process menu's items for its commands, in menu order.
struct ProcessItem {
    ProcessCommand command;
    std::string_view name;
};
inline constexpr ProcessItem kProcessItems[] = {
    {ProcessCommand::Identify, "Identify1"},
    {ProcessCommand::Read, "Read1"},
    {ProcessCommand::Erase, "Erase1"},
    {ProcessCommand::Program, "Program1"},
    {ProcessCommand::Verify, "Verify1"},
    {ProcessCommand::ProgramSecurity, "ProgramSecurity1"},
    {ProcessCommand::ProgramFuse, "ProgramFuse1"},
    {ProcessCommand::ReadFuse, "ReadFuse1"},
    {ProcessCommand::EraseProgram, "EraseProgram1"},
    {ProcessCommand::EraseProgramSecurity, "EraseProgramSecurity1"},
    {ProcessCommand::CheckErase, "CheckErase1"},
};
static_assert(std::size(kProcessItems) == kProcessCommandCount);

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
