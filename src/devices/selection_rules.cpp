#include "devices/selection_rules.h"

#include "devices/catalogue.h"
#include "devices/traits.h"

#include <algorithm>

namespace kestro {
namespace {

// Pictures by socket picture code; the two columns are socket variants 4 and 5.
constexpr std::string_view kPictures[][2] = {
    {"Img_IC20_m3", "Img_IC20"},   // 0
    {"Img_IC40", "Img_IC40"},      // 1
    {"Img_IC20_8", "Img_IC8_5"},   // 2
    {"Img_IC8_10", "Img_IC8_10"},  // 3
    {"Img_IC14_8", "Img_IC14_8"},  // 4
    {"Img_IC18", "Img_IC18"},      // 5
    {"Img_IC28PIC", "Img_IC28PIC"}, // 6
    {"Img_IC24", "Img_IC24"},      // 7
    {"Img_IC28", "Img_IC28"},      // 8
    {"Img_IC32", "Img_IC32"},      // 9
    {"Img_IC14_10", "Img_IC14_10"}, // 10
};

} // namespace

ProcessEnabling processEnabling(int deviceIndex, bool serialAdapter) {
    const CatalogueRow& row = chipRow(deviceIndex);
    ProcessEnabling e{};
    for (size_t k = 0; k < kProcessCommandCount; ++k) e.on[k] = row.offers[k] == '1';
    if (serialAdapter) {
        // What the serial adapter cannot run on the AT89S53/S8252 and AT90S1200/2313.
        if (row.is(chip::SerialNoSignature)) e[ProcessCommand::Identify] = false;
        if (row.is(chip::SerialNoFuses))
            e[ProcessCommand::ProgramFuse] = e[ProcessCommand::ReadFuse] = false;
    }
    return e;
}

bool needsExtensionSocket(int deviceIndex, bool picFlag, uint8_t socketVariant) {
    const CatalogueRow& row = chipRow(deviceIndex);
    if (socketVariant == 4) return row.is(chip::ExtSocket) || picFlag;
    if (socketVariant == 5) return row.is(chip::ExtSocket | chip::ExtSocketOn5);
    return false;
}

std::string_view windowCaption(int deviceIndex, bool picFlag, uint8_t socketVariant,
                               bool serialAdapter) {
    if (serialAdapter) return "Kestro - Serial Adapter Active !";
    if (needsExtensionSocket(deviceIndex, picFlag, socketVariant)) return "Kestro - Use Adapter!";
    return "Kestro";
}

std::string_view socketPictureName(uint8_t pictureCode, uint8_t socketVariant) {
    if (pictureCode >= std::size(kPictures)) return {};
    // Variant 4 is the start value, so anything but a reported 5 gets its pictures.
    return kPictures[pictureCode][socketVariant == 5 ? 1 : 0];
}

bool isConfigurationProm(int deviceIndex) { return traitsOf(deviceIndex).configurationProm; }

IdentifyEraseCaptions identifyEraseCaptions(int deviceIndex) {
    if (isConfigurationProm(deviceIndex))
        return {"Reset High, OE Low", "Reset Low, OE High"};
    return {"Identify", "Erase"};
}

bool markerAreaAvailable(int deviceIndex) { return traitsOf(deviceIndex).markerArea; }

bool timerHidesPicture(int deviceIndex) { return traitsOf(deviceIndex).microcontroller; }

} // namespace kestro
