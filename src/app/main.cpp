// Program entry: build the form, run its creation sequence, show the window and run
// the message loop.

#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "shell/window_args.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

// SIGTERM and SIGINT (a logout, `kill`, Ctrl+C in the terminal) close the window as its
// close button does, so an operation stops cleanly and the settings are written. The
// handler only writes to a pipe; the message loop does the closing, also from inside a
// message box (which goes as if refused). SA_RESETHAND lets a second signal end the
// program at once.
int gSignalPipe[2] = {-1, -1};

extern "C" void onCloseSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(gSignalPipe[1], &byte, 1);
}

bool catchCloseSignals() {
    if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction sa {};
    sa.sa_handler = onCloseSignal;
    sa.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    return true;
}

void closeOnSignals(kestro::MainWindow& window) {
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        while (read(gSignalPipe[0], &byte, 1) > 0) {
        }
        window.closeOnRequest();
    });
}

// The icon the desktop entry names, built into the program so that the window shows
// it wherever the program was started from.
QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

// --help and --version print and end; an argument the program does not know ends it
// with a usage error. Nothing else happens here.
std::optional<int> answerArgs(const kestro::WindowArgs& args) {
    switch (args.action) {
    case kestro::WindowArgs::Help: std::fputs(kestro::windowHelpText().c_str(), stdout); return 0;
    case kestro::WindowArgs::Version: std::fputs(kestro::windowVersionText().c_str(), stdout); return 0;
    case kestro::WindowArgs::UsageError:
        std::fprintf(stderr, "kestro: %s\nTry 'kestro --help'.\n", args.error.c_str());
        return 2;
    case kestro::WindowArgs::Run: break;
    }
    return std::nullopt;
}

// An empty variable names no display either.
bool set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

std::vector<std::string> argList(int argc, char** argv) {
    return {argv + std::min(argc, 1), argv + argc};
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version need no display, nor one that answers. An option unknown
    // here may still be Qt's, where there is a display.
    const kestro::WindowArgs early = kestro::parseWindowArgs(argList(argc, argv));
    const bool display = set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
    if (early.action != kestro::WindowArgs::UsageError || !display)
        if (const auto code = answerArgs(early)) return *code;
    if (!display) {
        std::fprintf(stderr, "kestro: no display (DISPLAY is not set); start it inside a desktop session\n");
        return 1;
    }
    QApplication app(argc, argv); // takes Qt's own options out of argv
    const kestro::WindowArgs args = kestro::parseWindowArgs(argList(argc, argv));
    if (const auto code = answerArgs(args)) return *code;
    QApplication::setApplicationName("Kestro");
    QApplication::setDesktopFileName(QStringLiteral(KESTRO_APP_ID));
    QApplication::setWindowIcon(programIcon());
    // Caught from here on; acted on once the window is up.
    const bool closeOnSignal = catchCloseSignals();
    kestro::QtHost host;
    kestro::PosixSerialPort port;
    kestro::TMyForm form(host, port);
    kestro::MainWindow window(form, host);
    host.setWindow(&window);
    // From here on, so that a signal also ends a message box of the start-up.
    if (closeOnSignal) closeOnSignals(window);
    form.FormCreate();
    if (form.closeRequested()) { // asked to end during the start-up
        form.FormClose();
        return 0;
    }
    window.setStarted();
    window.syncFromModel();
    window.show();
    if (!args.file.empty()) { // as File > Open would, once the window is up
        QTimer::singleShot(0, &window, [&window, file = args.file] { window.openFile(file); });
    }
    return app.exec();
}
