#pragma once
// What the core needs from the outside world besides the serial port: dialogs,
// time, sound and the event loop. The Qt shell implements it for real, tests use
// FakeHost on a virtual clock.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestro {

enum class MsgIcon { None, Information, Warning, Stop, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

class Host {
public:
    virtual ~Host() = default;

    // Monotonic milliseconds; the serial time-outs are measured on this clock.
    virtual uint64_t nowMs() = 0;
    virtual void sleepMs(int ms) = 0;
    // A fixed wait of an operation: window-system events other than user input (a
    // close request, a signal) are handled meanwhile, and the wait ends early once
    // `stop` answers true.
    virtual void wait(int ms, const std::function<bool()>& stop) = 0;
    virtual void beep() = 0;
    // Let pending window messages run (clicks on Cancel, repaints).
    virtual void processMessages() = 0;
    // Between the steps of an operation: pending input (Escape, a close request) is
    // taken; not one of the operation's message pumps.
    virtual void takeInput() = 0;
    // Bring the widgets in line with the form model right now.
    virtual void repaint() = 0;
    virtual MsgAnswer messageBox(const std::string& text, const std::string& caption,
                                 MsgIcon icon, MsgButtons buttons) = 0;
    virtual std::optional<std::string> openFileDialog(const std::string& filter,
                                                      const std::string& initialDir) = 0;
    virtual std::optional<std::string> saveFileDialog(const std::string& filter,
                                                      const std::string& initialDir,
                                                      const std::string& fileName) = 0;
    // A list to pick one entry from, `current` chosen at first (-1 for none); nothing
    // when the user backs out.
    virtual std::optional<int> chooseItem(const std::string& caption, const std::string& label,
                                          const std::vector<std::string>& items, int current) = 0;
    // The one-shot timer `ImgTimer`; when it fires the host calls ImgTimerTimer.
    virtual void startTimer(int ms) = 0;
    virtual void stopTimer() = 0;
    virtual void terminate() = 0;
};

} // namespace kestro
