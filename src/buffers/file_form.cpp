// Open, Open Last File, Save and the Program/Data toggle.

#include "buffers/file_commands.h"

#include "buffers/binary_file.h"
#include "buffers/hex_reader.h"
#include "buffers/hex_writer.h"
#include "buffers/images.h"
#include "buffers/path_parts.h"
#include "shell/tmyform.h"

namespace kestro {

namespace {

bool isPic(const SelectedDevice& dev) { return picCoreOf(dev.index) != PicCore::None; }

void showError(TMyForm& f, const char* text) {
    f.host.messageBox(text, kErrorCaption, MsgIcon::Stop, MsgButtons::Ok);
}

void showViewFileName(TMyForm& f) {
    f.model.control("FileLabel").caption = fileNamePart(viewFileName(f.st.images));
}

// Loads a file by its extension and brings the panel, label and grid in line;
// whatever the loader reported, the steps after it run the same way.
void loadFile(TMyForm& f, const std::string& path) {
    Images& img = f.st.images;
    const SelectedDevice& dev = f.st.device;
    img.programFileName = path;
    const PathParts parts = splitPath(path);
    if (extensionIs(parts, ".HEX")) {
        const HexError e = loadIntelHex(hexReaderFor(dev.index), path, img, dev);
        if (e != HexError::None) f.showMessage(hexErrorMessage(e));
        if (isPic(dev)) picWordSwap(img, dev.programSize);
        if (isPic(dev) || traitsOf(dev.index).singleMemory) img.dataFileName = path;
    } else if (!loadBinary(parts, img, dev)) {
        showError(f, kCantOpenBinary);
    }
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
    const PathParts parts = splitPath(*chosen);
    std::string saved;
    if (isPic(st.device)) {
        GetFuse();
        saved = hexSavePath(parts);
        st.images.programFileName = saved;
        if (!writeIntelHex(saved, st.images, st.device)) showError(*this, kCantSave);
        st.images.dataFileName = saved;
    } else {
        const BinarySave result = saveBinary(parts, st.images, st.device, [this] {
            GetFuse();
            return st.fuse.fuseFilePair;
        });
        if (!result.ok) showError(*this, kCantSave);
        saved = result.path;
    }
    showViewFileName(*this);
    st.settings.lastFileName = saved;
}

void TMyForm::ProgDatButtClick() {
    st.images.view = st.images.view == ProgramView ? DataView : ProgramView;
    gridSetup();
    showViewFileName(*this);
}

} // namespace kestro
