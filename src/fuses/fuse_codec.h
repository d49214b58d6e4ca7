#pragma once
// The fuse layouts without a window: the fill turns fuse bytes into the values of a
// layout's controls, the read-back turns those values into fuse bytes, the lock mode
// and the fuse file pair. The panel uses these, and so can a command-line front end
// that sets fuses by name.

#include "buffers/image_state.h"
#include "fuses/fuse_state.h"
#include "fuses/layout_desc.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// Lock mode of each entry of the 8051 and AVR lock lists.
inline constexpr uint8_t kLockModes[] = {0, 1, 3, 7};

// Sets every control the layout fills from the bytes; the others keep their values.
// A bit-view layout leaves its active-low flags inverted in bytes.bitView, which is
// where its read-back expects them.
void fillValues(const LayoutDesc& layout, int device, FuseBytes& bytes, FuseValues& values);

enum class ReadBack : uint8_t { Ok, BadId };
// Composes the bytes from the values. Bits no control writes keep what the working
// copy holds. With BadId the configuration bytes are written, the ID block is not.
ReadBack readBackValues(const LayoutDesc& layout, int device, const FuseValues& values,
                        FuseBytes& bytes);

// The same for a device by index, starting from the configuration block as read from
// a chip or a file (the bit view is derived here). A device without a layout decodes
// to default values and encodes to the bytes unchanged.
FuseValues decode(int device, FuseBytes bytes);
ReadBack encode(int device, const FuseValues& values, FuseBytes& bytes);

// What GetFuse composes from a panel that shows the fuse bytes untouched: the bytes
// read back through the device's layout, with its lock mode and fuse file pair. A
// front end without a panel asks this where the window asks its panel. With BadId
// the ID block is left as it was.
// `adjust` changes the values between the two, as a user changes the panel.
ReadBack recompose(int device, Images& img, FusePanelState& fuse,
                   const std::function<void(FuseValues&)>& adjust = {});

// One setting of a layout, named as the panel shows it.
enum class SettingKind : uint8_t { List, Box, Item, Id };
struct Setting {
    SettingKind kind;
    int control;              // list, check box or check-list number (0 = the first)
    int item;                 // check-list item; 0 otherwise
    std::string_view group;   // caption of the group it sits in ("Oscillator:")
    std::string_view caption; // check box caption or item text; empty for lists and the ID
    Items choices;            // list items
};
// The settings the device's panel shows, in the order the panel builds them.
std::vector<Setting> settingsOf(int device);

// Bit view <-> configuration bytes 0 and 1.
std::array<uint8_t, 16> wordBits(const std::array<uint8_t, 16>& config);
void storeWordBits(const std::array<uint8_t, 16>& bits, std::array<uint8_t, 16>& config);

// "%02X" per ID block byte, no separators.
std::string idFieldText(std::span<const uint8_t> id, IdWidth width);
// The ID bytes of the field's first whitespace-delimited token, which must start with
// 2 x width hexadecimal digits; anything after them is ignored. Nothing when it does
// not.
std::optional<std::array<uint8_t, 8>> parseIdField(std::string_view text, IdWidth width);

} // namespace kestro
