#pragma once
// The main window's logic: the state record, the model of every control and menu
// item, and the handlers. Talks to the outside only through Host and SerialPort.

#include "link/protocol.h"
#include "shell/form_model.h"
#include "shell/host.h"
#include "shell/state.h"

#include <array>
#include <string>
#include <string_view>

namespace kestro {

class SerialPort;

inline constexpr const char* kAppTitle = "Kestro";
inline constexpr size_t kAboutBufferSize = 400;

class TMyForm {
public:
    TMyForm(Host& host, SerialPort& port);
    TMyForm(const TMyForm&) = delete;
    TMyForm& operator=(const TMyForm&) = delete;

    State& st;
    Host& host;
    SerialPort& port;
    FormModel model;

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

    // ---- serial link, command packet, handshake (link/) ----
    // startLink, closePort and handshake are declared with the start-up steps above.
    void openPort(bool sameDevice = false); // no-op when open; failures are shown here
    void reopenPort();             // close, then open the device last opened (retries)
    void changePort(const std::string& portName);
    bool writeByte(uint8_t b);     // false when closed or the write failed
    uint8_t readByte();            // sets st.link.readStatus (kReadOk / kReadNothing)
    size_t readBlock(uint8_t* buf, size_t n); // counted read; the count received
    uint8_t exchange(uint8_t b);   // echoed byte: kLinkOk, kLinkEchoDiffered, kLinkTimeout
    void showLinkError(uint8_t code);
    int sendCommandPacket(Command command); // 0 sent; 1 failed (message shown)
    void computeTransferRange();

    // ---- operation frame (ops/frame) ----
    void messageMode(const std::string& text, uint32_t color);
    void progressMode(const std::string& text, uint32_t total, uint32_t color);
    void progressUpdate(uint32_t done);
    void hidePanel();
    void lockUserInterface(bool enable);
    bool operatorInterrupt();
    // Closing the window while an operation pumps messages: the operation ends at
    // its next pump and the shut-down runs once it has returned.
    bool FormCloseQuery();
    bool closeRequested() const { return closeRequested_; }
    bool operationRunning() const { return operationRunning_; }

    // ---- chip operations (ops) ----
    enum class IdentifyMode { Menu, Ask };
    bool identify(IdentifyMode mode);
    bool readSignature(uint8_t sig[3]);
    int matchSignature(const uint8_t sig[3]);
    // One block with the request/repeat protocol; false after six failed attempts.
    bool fetchBlock(uint8_t* block, size_t n, bool byteByByte);
    bool readChip();
    bool readFuse();
    bool resetPolarity();
    bool stopRequested() const { return st.ops.cancel != 0 || closeRequested_; }

private:
    void buildControls();
    void shutDown();
    bool shutDownDone_ = false;
    bool closeRequested_ = false;
    bool operationRunning_ = false;
};

} // namespace kestro
