#pragma once
// A started form on a fake host, with a full adapter on COM1 (in-process, virtual time).

#include "shell/tmyform.h"
#include "sim/sim_serial_port.h"
#include "support/fake_host.h"

#include <gtest/gtest.h>

namespace kestro::test {

struct StartedForm : ::testing::Test {
    FakeHost host;
    AdapterSim adapter;
    SimSerialPort port{host.clock, adapter};
    TMyForm form{host, port};
    State& st = form.st;

    void SetUp() override { form.FormCreate(); }
    void select(int deviceIndex) { form.deviceItemClick(deviceIndex); }
};

} // namespace kestro::test
