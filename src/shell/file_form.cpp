// Open, Open Last File, Save and the Program/Data toggle.

#include "buffers/file_commands.h"

#include "buffers/images.h"
#include "buffers/path_parts.h"
#include "shell/tmyform.h"

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
    const auto chosen = host.openFileDialog(kFileDialogFilter, openDialogDir);
    if (!chosen) return;
    const bool loaded = loadFile(*this, *chosen);
    openDialogDir = folderOf(*chosen);
    saveDialogDir = openDialogDir;
    if (loaded) st.settings.lastFileName = *chosen;
}

void TMyForm::OpenLastFile1Click() {
    const std::string path = st.settings.lastFileName; // the load may not change it
    loadFile(*this, path);
}

void TMyForm::Save1Click() {
    const auto chosen =
        host.saveFileDialog(kFileDialogFilter, saveDialogDir, fileNamePart(viewFileName(st.images)));
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
