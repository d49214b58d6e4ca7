// Open, Open Last File, Save and the Program/Data toggle.

#include "buffers/file_commands.h"

#include "buffers/images.h"
#include "buffers/path_parts.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {

void showError(TMyForm& f, const char* text) {
    f.host.messageBox(text, kErrorCaption, MsgIcon::Stop, MsgButtons::Ok);
}

void showViewFileName(TMyForm& f) {
    f.model.control("FileLabel").caption = fileNamePart(viewFileName(f.st.images));
}

// Loads a file as Open does and brings the panel, label and grid in line; whatever
// the loader reported, the steps after it run the same way.
void loadFile(TMyForm& f, const std::string& path) {
    const FileResult r = loadImageFile(path, f.st.images, f.st.device);
    if (!r.ok && r.errorBox) showError(f, r.message.c_str());
    else if (!r.ok) f.showMessage(r.message);
    f.SetFuse(1);
    showViewFileName(f);
    f.refreshGrid();
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
    loadFile(*this, *chosen);
    openDialogDir = folderOf(*chosen);
    saveDialogDir = openDialogDir;
    st.settings.lastFileName = *chosen;
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
    if (!r.ok) showError(*this, r.message.c_str());
    const std::string& saved = r.path;
    showViewFileName(*this);
    st.settings.lastFileName = saved;
}

void TMyForm::ProgDatButtClick() {
    st.images.view = st.images.view == ProgramView ? DataView : ProgramView;
    gridSetup();
    showViewFileName(*this);
}

} // namespace kestro
