#pragma once
// The one state record of the program. Each group is declared and owned by the folder
// named beside it; this header only gathers them. Fields start at zero except the
// socket variant.

#include "buffers/image_state.h"  // memory images
#include "devices/device_state.h" // selected device
#include "fuses/fuse_state.h"     // fuse panel values
#include "hwtest/hwtest_state.h"  // hardware test mode
#include "link/link_state.h"      // link and adapter
#include "ops/ops_state.h"        // operation frame
#include "view/marker.h"          // marker area

#include <string>

namespace kestro {

// Settings kept in the settings file (shell/settings)
struct Settings {
    int32_t portIndex = 0;
    uint8_t verifyAfterProgram = 0;
    uint8_t autoDataMemory = 0;
    std::string lastFileName;
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
