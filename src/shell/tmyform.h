#pragma once
// shell/ owns the window's logic: this form with every handler, the control and menu
// model, start-up and shut-down (which read and write the settings file through
// session/), and the one state record the window holds.
//
// The main window: the model of every control and menu item and every handler of the
// program, each a thin step over the subsystems. Talks to the outside only through
// Host and, via the session, SerialPort. Only the window's own files include this.

#include "link/link.h"
#include "link/serial_devices.h"
#include "ops/operation.h"
#include "shell/form_model.h"
#include "shell/form_reporter.h"
#include "shell/host.h"
#include "session/session.h"
#include "session/state.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace kestro {

class SerialPort;

inline constexpr const char* kAppTitle = "Kestro";
inline constexpr size_t kAboutBufferSize = 400;
inline constexpr const char* kStopAndCloseQuestion =
    "An operation is running.\nStop it and close Kestro?";

class TMyForm {
public:
    TMyForm(Host& host, SerialPort& port);
    TMyForm(const TMyForm&) = delete;
    TMyForm& operator=(const TMyForm&) = delete;

private:
    std::unique_ptr<State> state_; // 1 MiB of images: on the heap, never reallocated

public:
    State& st;
    Host& host;
    SerialPort& port;
    FormModel model;
    Session session;
    FormReporter reporter; // the operation panel, as the operations see it
    // The session's link and the operations' context, for tests that speak the
    // protocol byte by byte; the handlers go through the session.
    Link& link;
    OpContext& ops;

    // ---- shell: window life ----
    void FormCreate();
    void FormClose();
    void ExitmnuClick();
    void About1Click();
    std::string aboutText() const;
    bool shutDownDone() const { return shutDownDone_; }

    // ---- menu dispatch (the UI calls these) ----
    void menuClick(int menuIndex);
    // Runs the handler of that name ("Read1Click", "PIC16F841Click"); false if unknown.
    bool clickHandler(std::string_view handlerName);
    void deviceItemClick(int deviceIndex);

    // ---- File menu ----
    void OpenLastFile1Click();
    void Open1Click();
    void Save1Click();
    void BufferReset1Click();
    // Open's steps after the dialog, for a file named on the command line or dropped
    // on the window as well: load, the dialogs' folder, the last file.
    void openFile(const std::string& path);
    // A file dropped on the window opens as File > Open opens it, only where Open
    // could be chosen; false when it was not taken.
    bool acceptsDrop() const;
    bool FileDropped(const std::string& path);
    // Initial folders of the two file dialogs; both follow the last opened file.
    std::string openDialogDir;
    std::string saveDialogDir;

    // ---- Process menu ----
    void Identify1Click();
    void Read1Click();
    void Erase1Click();
    void Program1Click();
    void Verify1Click();
    void ProgramSecurity1Click();
    void ProgramFuse1Click();
    void ReadFuse1Click();
    void EraseProgram1Click();
    void EraseProgramSecurity1Click();
    void CheckErase1Click();

    // ---- Setup menu ----
    void VerifyafterProgram1Click();
    void AutoDataMemoryProgram1Click();
    void MarkerArea1Click();
    void COM11Click();
    void COM21Click();
    void COM31Click();
    void COM41Click();
    // Binds the current COMn to one of the machine's serial devices, then opens it and
    // makes the handshake as Initialisation does.
    void SerialDevice1Click();
    SerialRoots serialRoots; // where the devices are looked for
    void Initialisation1Click();
    void HardwareTest1Click();

    // ---- Help menu ----
    void DeviceinSocket1Click();

    // ---- other controls ----
    void ProgDatButtClick();
    void ProcCancelClick();
    void ProcCancelKeyPress(int key);
    void ImgButtonClick();
    void ImgTimerTimer();
    void MarkerOKButtonClick();
    void ConfigLargeButtonClick();
    void Config2ButtonClick();
    void hardwareTestSend(); // "Send" of the hardware test panel

    // ---- hex grid ----
    // Text of one cell; row 0 is the header row.
    std::string cellText(int row, int col);
    // The grid widget calls this once before it paints any cells.
    void gridPaintPass();
    std::array<std::string, 18> gridHeader;
    uint32_t shownSize = 0; // bytes of the active image the grid shows

    // ---- shared helpers ----
    void showMessage(const std::string& text);

    // ---- subsystem steps used by the start-up and shut-down sequences ----
    int readSettings();
    void writeSettings();
    void refreshSetupCaptions();
    void startLink();
    bool handshake();
    void selectFirstAllowedDevice();
    void selectDevice();
    void processMenuEnabling();
    void resetFileNames(); // default names, FileLabel after the view
    void showSocketPicture();
    void hideSocketPicture();
    void closePort();
    void DelFuse();
    void SetFuse(uint8_t mode);
    int GetFuse(); // 0 when the panel read back cleanly

    // ---- hex grid (view) ----
    void gridSetup();   // labels, view normalisation, row count
    void gridRowCountStep(uint32_t size);
    void refreshGrid(); // repaint the cells from the buffers

    // ---- serial link (link/link_form) ----
    // startLink, closePort and handshake are declared with the start-up steps above.
    void openPort();               // no-op when open; failures are shown
    void reopenPort();             // close, then open the device last opened (retries)
    void changePort(const std::string& portName);
    void showPortDevice(); // the Port label's tooltip: the device behind COMn

    // ---- operation panel (ops/frame_form) ----
    void messageMode(std::string_view text, uint32_t color);
    void progressMode(std::string_view text, uint32_t total, uint32_t color);
    void progressUpdate(uint32_t done);
    void hidePanel();
    void lockUserInterface(bool enable);
    void operatorInterrupt();
    // After a Process command: a chain the user stopped between its operations ends
    // as a block loop's stop does.
    void sayChainStopped();
    // Closing the window while an operation pumps messages: the operation ends at
    // its next pump and the shut-down runs once it has returned. The user closing it
    // (`asked`) is asked first whether to stop the operation; No lets it run on.
    bool FormCloseQuery(bool asked = false);
    bool closeRequested() const { return closeRequested_; }
    // The program is asked to end (a signal): as a close of the window, whether or not
    // an operation runs; the front end closes the window once it can.
    void requestClose() { closeRequested_ = true; }
    bool operationRunning() const { return operationRunning_; }
    bool stopRequested() const { return st.ops.cancel || closeRequested_; }

private:
    void buildControls();
    void shutDown();
    bool shutDownDone_ = false;
    bool closeRequested_ = false;
    bool operationRunning_ = false;
    bool interruptShown_ = false; // this run has ended with "Operator Interrupt"
};

} // namespace kestro
