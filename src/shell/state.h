#pragma once
// The one state record of the program. Every group is owned by the subsystem named
// beside it; fields start at zero except the socket variant.

#include "link/protocol.h"

#include <array>
#include <cstdint>
#include <string>

namespace kestro {

inline constexpr uint32_t kProgramBufferSize = 0x100000; // 1 MiB: 27C801, 29F800
inline constexpr uint32_t kDataBufferSize = 0x800;       // AT89S8252 data EEPROM
inline constexpr size_t kFuseBlockSize = 16;
inline constexpr size_t kMessageTextSize = 100;
inline constexpr size_t kFuseControlCount = 30;

// Selected device (devices/catalogue)
struct SelectedDevice {
    int32_t index = 0;
    char name[16] = {};
    uint32_t programSize = 0;
    uint32_t dataSize = 0;
    uint8_t family = 0;
    uint8_t voltage = 0;
    uint8_t epromClass = 0;
    uint8_t socketPicture = 0;
    uint8_t picFlag = 0;
};

// Settings kept in the settings file (shell/settings)
struct Settings {
    int32_t portIndex = 0;
    uint8_t verifyAfterProgram = 0;
    uint8_t autoDataMemory = 0;
    std::string lastFileName;
};

// What the adapter reported in the handshake (link/handshake)
struct AdapterState {
    std::array<uint8_t, 8> capabilityMap{};
    std::array<uint8_t, 256> allowed{};
    std::array<std::array<char, 33>, 4> infoLines{};
    uint8_t socketVariant = 4;
    uint8_t serialAdapter = 0;
};

enum BufferView : uint8_t { ProgramView = 0, DataView = 1 };

// Memory images (buffers/images). The arrays are sized for the largest chip and live
// for the whole run.
struct Images {
    std::array<uint8_t, kProgramBufferSize> program{};
    std::array<uint8_t, kDataBufferSize> data{};
    std::array<uint8_t, kFuseBlockSize> idBlock{};
    std::array<uint8_t, kFuseBlockSize> configBlock{};
    uint8_t view = ProgramView;
    std::string programFileName;
    std::string dataFileName;
};

// Marker area (view/marker)
struct MarkerArea {
    uint32_t start = 0;
    uint32_t end = 0;
    uint8_t set = 0;
};

// Fuse panel (fuses/panel)
struct FusePanelState {
    std::array<int, kFuseControlCount> controls{}; // indexes into the form's control list
    uint8_t largeView = 0;
    uint8_t lockMode = 0;
    std::array<uint8_t, 2> fuseFilePair{};
    std::array<uint8_t, 16> bitView{};
};

// Serial link and command packet (link/)
struct LinkState {
    std::string portName;  // "COM1".."COM4"; empty until start-up names it
    uint8_t portOpen = 0;
    uint8_t readStatus = 0; // of the last single-byte read: 0 a byte came, 3 nothing came
    // The command packet as last sent. Bytes 4..15 (indexes 3..14) are long-lived: only
    // the transfer range, the serial parameters and the hardware test rewrite them.
    std::array<uint8_t, kPacketSize> packet{};
    int32_t blockCountMinus1 = 0; // of the last transfer range, for the block loops
    uint8_t lastBlockLength = 0;
};

// Hardware test (hwtest)
struct HardwareTestState {
    uint8_t mode = 0;
};

// Operation frame (ops/frame)
struct OperationState {
    uint8_t lastResult = 0;
    uint8_t cancel = 0;
    char msgText[kMessageTextSize] = {};
};

struct State {
    SelectedDevice device;
    Settings settings;
    AdapterState adapter;
    Images images;
    MarkerArea marker;
    FusePanelState fuse;
    LinkState link;
    HardwareTestState hwTest;
    OperationState ops;
};

// The process-wide record. Its images are static storage, never reallocated.
State& theState();
// Back to the start values (used by the form's constructor, so a test can build a
// fresh form in the same process).
void resetState(State& st);

} // namespace kestro
