#pragma once
// A started form on a fake host with no adapter attached.

#include "shell/tmyform.h"
#include "support/fake_host.h"
#include "support/null_port.h"

#include <gtest/gtest.h>

namespace kestro::test {

struct StartedForm : ::testing::Test {
    FakeHost host;
    NullPort port;
    TMyForm form{host, port};
    State& st = form.st;

    void SetUp() override { form.FormCreate(); }
    void select(int deviceIndex) { form.deviceItemClick(deviceIndex); }
};

} // namespace kestro::test
