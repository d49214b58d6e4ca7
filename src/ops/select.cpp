#include "buffers/images.h"
#include "devices/catalogue.h"
#include "ops/operation.h"

namespace kestro {

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
