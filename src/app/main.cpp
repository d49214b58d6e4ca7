// Program entry: build the form, run its creation sequence, show the window and run
// the message loop.

#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "kestro: no display (DISPLAY is not set); start it inside a desktop session\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestro");
    kestro::QtHost host;
    kestro::PosixSerialPort port;
    kestro::TMyForm form(host, port);
    kestro::MainWindow window(form, host);
    host.setWindow(&window);
    form.FormCreate();
    window.syncFromModel();
    window.show();
    return app.exec();
}
