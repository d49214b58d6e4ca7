// Open, Open Last File, Save and the Program/Data toggle.

#include "buffers/file_commands.h"

#include "buffers/images.h"
#include "buffers/path_parts.h"
#include "shell/tmyform.h"

#include <filesystem>
#include <string>

namespace kestro {

namespace {

void showError(TMyForm& f, const char* text) {
    f.host.messageBox(text, kErrorCaption, MsgIcon::Stop, MsgButtons::Ok);
}

void showViewFileName(TMyForm& f) {
    f.model.control("FileLabel").caption = fileNamePart(viewFileName(f.st.images));
}

// Loads a file as Open does and brings the panel, label and grid in line. A load
// that fails shows its message and leaves images, panel, label and names as they
// were; true when the file loaded.
bool loadFile(TMyForm& f, const std::string& path) {
    const FileResult r = loadImageFile(path, f.st.images, f.st.device);
    if (!r.ok) {
        if (r.errorBox) showError(f, r.message.c_str());
        else f.showMessage(r.message);
        return false;
    }
    f.SetFuse(1);
    showViewFileName(f);
    f.refreshGrid();
    // A binary image longer than the memory is loaded as far as it fits; what was
    // left out is said, not dropped in silence.
    if (r.leftOut > 0)
        f.showMessage("File larger than the device !\n" + std::to_string(r.leftOut) +
                      " bytes at its end were not loaded.");
    return true;
}

std::string folderOf(const std::string& path) {
    std::string dir = splitPath(path).dir;
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

} // namespace

void TMyForm::Open1Click() {
    const auto chosen = host.openFileDialog(kOpenDialogFilter, openDialogDir);
    if (chosen) openFile(*chosen);
}

void TMyForm::openFile(const std::string& chosen) {
    // A name from the command line is relative to where the program was started; the
    // last file must still name it when the program starts elsewhere.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(chosen, ec);
    const std::string path = ec || chosen.empty() ? chosen : absolute.lexically_normal().string();
    const bool loaded = loadFile(*this, path);
    openDialogDir = folderOf(path);
    saveDialogDir = openDialogDir;
    if (loaded) st.settings.lastFileName = path;
}

bool TMyForm::acceptsDrop() const {
    // Where File > Open cannot be reached (an operation runs, the PIC18 large view)
    // a dropped file is not taken either.
    return model.menu("File1").visible && model.menu("Open1").enabled && !operationRunning_;
}

bool TMyForm::FileDropped(const std::string& path) {
    if (!acceptsDrop()) return false;
    openFile(path);
    return true;
}

void TMyForm::OpenLastFile1Click() {
    const std::string path = st.settings.lastFileName; // the load may not change it
    loadFile(*this, path);
}

void TMyForm::Save1Click() {
    const auto chosen =
        host.saveFileDialog(kSaveDialogFilter, saveDialogDir, fileNamePart(viewFileName(st.images)));
    if (!chosen) return;
    const FileResult r = saveImageFile(*chosen, st.images, st.device, [this] {
        GetFuse();
        return st.fuse.fuseFilePair;
    });
    if (!r.ok) {
        // Nothing was written: the label and the last file keep naming what is on disk.
        showError(*this, r.message.c_str());
        return;
    }
    showViewFileName(*this);
    st.settings.lastFileName = r.path;
}

void TMyForm::ProgDatButtClick() {
    st.images.view = st.images.view == ProgramView ? DataView : ProgramView;
    gridSetup();
    showViewFileName(*this);
}

} // namespace kestro
