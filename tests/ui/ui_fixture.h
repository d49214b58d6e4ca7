#pragma once
// The real window over the real model, with the in-process adapter double on COM1 so
// that start-up raises no modal box that would wait for a click.

#include "shell/tmyform.h"
#include "sim/sim_serial_port.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

#include <gtest/gtest.h>

namespace kestro::test {

struct OffscreenWindow : ::testing::Test {
    QtHost host;
    VirtualClock clock;
    AdapterSim adapter;
    SimSerialPort port{clock, adapter};
    TMyForm form{host, port};
    MainWindow window{form, host};
    void SetUp() override {
        host.setWindow(&window);
        form.FormCreate();
        window.setStarted();
        window.syncFromModel();
        window.show();
    }
};

} // namespace kestro::test
