#include "session/state.h"

#include "buffers/images.h"
#include "devices/catalogue.h"

namespace kestro {

State& theState() {
    static State state; // 1 MiB of images: static storage, not the stack
    return state;
}

void resetState(State& st) {
    st.device = SelectedDevice{};
    st.settings = Settings{};
    st.adapter = AdapterState{};
    st.images.program.fill(0);
    st.images.data.fill(0);
    st.images.idBlock.fill(0);
    st.images.configBlock.fill(0);
    st.images.view = ProgramView;
    st.images.programFileName.clear();
    st.images.dataFileName.clear();
    st.marker = MarkerArea{};
    st.fuse = FusePanelState{};
    st.link = LinkState{};
    st.hwTest = HardwareTestState{};
    st.ops = OperationState{};
}

OpContext opContext(State& st, Link& link, Reporter& report) {
    return {st.device, st.adapter, st.images, st.marker, st.fuse, st.hwTest, st.ops, st.settings, link, report};
}

void selectDeviceState(State& st) {
    st.images.view = ProgramView;
    clearImages(st.images);
    catalogueLookup(st.device);
    normaliseView(st.images, st.device);
    st.fuse.largeView = 0;
    st.hwTest.mode = 0;
    st.marker = MarkerArea{};
}

} // namespace kestro
