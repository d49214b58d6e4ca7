#pragma once
// What a selected device means for the window: which Process items it offers, the
// window caption, the socket picture, the two 17Cxx captions and the marker area.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestro {

// The Process menu's eleven commands, in menu order.
enum class ProcessCommand : uint8_t {
    Identify,
    Read,
    Erase,
    Program,
    Verify,
    ProgramSecurity,
    ProgramFuse,
    ReadFuse,
    EraseProgram,
    EraseProgramSecurity,
    CheckErase,
};
inline constexpr size_t kProcessCommandCount = 11;

// What the Process menu offers for a device, by command.
struct ProcessEnabling {
    std::array<bool, kProcessCommandCount> on{};
    bool operator[](ProcessCommand c) const { return on[static_cast<size_t>(c)]; }
    bool& operator[](ProcessCommand c) { return on[static_cast<size_t>(c)]; }
    bool operator==(const ProcessEnabling&) const = default;
};

// Enabled state of each Process command for a device, with the serial adapter active or not.
ProcessEnabling processEnabling(int deviceIndex, bool serialAdapter);

// True when the chip does not fit the adapter's own socket and needs the extension.
bool needsExtensionSocket(int deviceIndex, bool picFlag, uint8_t socketVariant);
std::string_view windowCaption(int deviceIndex, bool picFlag, uint8_t socketVariant,
                               bool serialAdapter);

// Name of the picture control for a socket picture code; empty when the code has none.
std::string_view socketPictureName(uint8_t pictureCode, uint8_t socketVariant);

struct IdentifyEraseCaptions {
    std::string_view identify;
    std::string_view erase;
};
// The 17Cxx serial configuration PROMs: Identify and Erase set their reset polarity.
bool isConfigurationProm(int deviceIndex);
IdentifyEraseCaptions identifyEraseCaptions(int deviceIndex);

// Marker areas only make sense for single-memory devices with a plain address space.
bool markerAreaAvailable(int deviceIndex);

// The timer takes the picture away only for microcontrollers; a memory's picture stays.
bool timerHidesPicture(int deviceIndex);

} // namespace kestro
