#pragma once

#include "shell/host.h"

#include <QElapsedTimer>
#include <QTimer>

namespace kestro {

class MainWindow;

// Host for the real program: Qt dialogs, real time, the Qt event loop.
class QtHost : public Host {
public:
    QtHost();
    void setWindow(MainWindow* w) { window_ = w; }

    uint64_t nowMs() override;
    void sleepMs(int ms) override;
    void beep() override;
    void processMessages() override;
    void wait(int ms, const std::function<bool()>& stop) override;
    void takeInput() override { processMessages(); }
    void repaint() override;
    MsgAnswer messageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons) override;
    std::optional<std::string> openFileDialog(const std::string& filter,
                                              const std::string& initialDir) override;
    std::optional<std::string> saveFileDialog(const std::string& filter,
                                              const std::string& initialDir,
                                              const std::string& fileName) override;
    std::optional<int> chooseItem(const std::string& caption, const std::string& label,
                                  const std::vector<std::string>& items, int current) override;
    void startTimer(int ms) override;
    void stopTimer() override;
    void terminate() override;

    QTimer& timer() { return timer_; }
    // The program is asked to end: an open message box or file dialog goes as if
    // refused, and none is shown from now on (each answers as if refused at once).
    void dismissDialogs();

private:
    MainWindow* window_ = nullptr;
    QElapsedTimer clock_;
    QTimer timer_;
    bool dismissing_ = false;
};

} // namespace kestro
