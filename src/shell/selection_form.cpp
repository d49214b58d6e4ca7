// Device selection: one catalogue row becomes current and the whole window follows.
// Also the socket picture panel and Buffer Reset, which share the file-name reset.

#include "buffers/images.h"
#include "devices/catalogue.h"
#include "devices/selection_rules.h"
#include "devices/socket_pictures.h"
#include "shell/menu_tree.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {
constexpr int kPictureTimerMs = 5000;
constexpr Rect kImgPanelPlace{505, 0, 250, 458};
constexpr Rect kPicturePlace{60, 80, 200, 300};
} // namespace

void TMyForm::selectDevice() {
    session.select(st.device.index);
    gridSetup();
    processMenuEnabling();
    model.control("SLabel").caption.clear();
    const int index = st.device.index;
    model.menu("MarkerArea1").enabled = markerAreaAvailable(index);
    const IdentifyEraseCaptions captions = identifyEraseCaptions(index);
    model.menu("Identify1").caption = captions.identify;
    model.menu("Erase1").caption = captions.erase;
    model.window.caption = windowCaption(index, st.device.picFlag,
                                         st.adapter.socketVariant, st.adapter.serialAdapter);
    resetFileNames();
    host.startTimer(kPictureTimerMs);
    showSocketPicture();
    DelFuse();
    SetFuse(2);
}

void TMyForm::processMenuEnabling() {
    for (const ProcessItem& item : kProcessItems) model.menu(item.name).enabled = session.offers(item.command);
}

void TMyForm::resetFileNames() {
    st.images.programFileName = kProgramFileDefault;
    st.images.dataFileName = kDataFileDefault;
    model.control("FileLabel").caption = viewFileName(st.images);
}

void TMyForm::showSocketPicture() {
    hideSocketPicture();
    Control& panel = model.control("ImgPanel");
    panel.rect = kImgPanelPlace;
    const std::string_view name =
        socketPictureName(st.device.socketPicture, st.adapter.socketVariant);
    if (!name.empty()) {
        Control& picture = model.control(name);
        picture.rect = kPicturePlace;
        picture.visible = true;
    }
    panel.visible = true;
}

void TMyForm::hideSocketPicture() {
    model.control("ImgPanel").visible = false;
    for (const SocketPictureShape& p : socketPictureShapes()) model.control(p.name).visible = false;
}

void TMyForm::DeviceinSocket1Click() { showSocketPicture(); }

void TMyForm::ImgButtonClick() { hideSocketPicture(); }

void TMyForm::ImgTimerTimer() {
    host.stopTimer();
    if (timerHidesPicture(st.device.index)) hideSocketPicture();
}

void TMyForm::BufferReset1Click() {
    clearBuffers(st.images);
    gridSetup();
    resetFileNames();
}

} // namespace kestro
