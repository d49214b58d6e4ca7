#include "session/state.h"

#include "buffers/images.h"
#include "devices/catalogue.h"

namespace kestro {

OpContext opContext(State& st, Link& link, Reporter& report) {
    return {st.device, st.adapter, st.images, st.marker, st.fuse, st.hwTest, st.ops, st.settings, link, report};
}

void selectDeviceState(State& st) {
    st.images.view = ProgramView;
    clearImages(st.images);
    catalogueLookup(st.device);
    normaliseView(st.images, st.device);
    st.fuse.largeView = false;
    st.hwTest.mode = false;
    st.marker = MarkerArea{};
}

} // namespace kestro
