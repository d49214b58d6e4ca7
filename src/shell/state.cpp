#include "shell/state.h"

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

} // namespace kestro
