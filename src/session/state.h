#pragma once
// The one state record of the program. Each group is declared and owned by the folder
// named beside it; this header only gathers them. Fields start at zero except the
// socket variant.

#include "buffers/image_state.h"  // memory images
#include "devices/device_state.h" // selected device
#include "fuses/fuse_state.h"     // fuse panel values
#include "hwtest/hwtest_state.h"  // hardware test mode
#include "link/link_state.h"      // link and adapter
#include "ops/operation.h"        // operation frame, what an operation works on
#include "view/marker.h"          // marker area

#include <string>

namespace kestro {

// Settings kept in the settings file.
struct Settings : ChainSettings {
    int32_t portIndex = 0;
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

// The parts of the record an operation works on, with the link and the reporter.
OpContext opContext(State& st, Link& link, Reporter& report);

// The state side of choosing the device named by st.device.index: its catalogue row,
// cleared images in the view it has, no marker area, no hardware test, small fuse view.
void selectDeviceState(State& st);

} // namespace kestro
