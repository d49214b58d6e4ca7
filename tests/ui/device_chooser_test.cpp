// Setup > Serial Port > Device... in the real window over a real port: the machine's
// devices listed from a /dev tree of the test's own, COM2 bound to the pty where
// kestro-sim answers, the handshake made and the device menus following it.

#include "link/port_path.h"
#include "link/posix_serial_port.h"
#include "shell/tmyform.h"
#include "support/child_process.h"
#include "support/test_config.h"
#include "ui/main_window.h"
#include "ui/qt_host.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace kestro {
namespace {

namespace fs = std::filesystem;

TEST(DeviceChooser, BindsCom2ToThePtyWhereTheSimulatorAnswers) {
    // The simulator links its pty as COM4; the by-id name the chooser shows leads there.
    test::Child sim(KESTRO_SIM_PROGRAM, {"--port", "COM4", "--adapter", "serial"});
    const fs::path simLink = portLinkPath("COM4");
    for (int i = 0; i < 300 && !fs::is_symlink(simLink); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::is_symlink(simLink));
    const fs::path pty = fs::read_symlink(simLink);
    char tmpl[] = "/tmp/kestro-devtree-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const fs::path root = tmpl;
    fs::create_directories(root / "dev/serial/by-id");
    fs::create_directories(root / "sys");
    const fs::path stable = root / "dev/serial/by-id/usb-Kestro_Simulated_Adapter-if00";
    fs::create_symlink(pty, stable);

    QtHost host;
    PosixSerialPort port;
    TMyForm form(host, port);
    form.serialRoots = {root / "dev", root / "sys"};
    MainWindow window(form, host);
    host.setWindow(&window);
    std::vector<std::string> boxes, offered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes.push_back(box->text().toStdString());
            box->accept();
        } else if (auto* chooser = qobject_cast<QInputDialog*>(modal)) {
            for (const QString& item : chooser->comboBoxItems()) offered.push_back(item.toStdString());
            chooser->setTextValue(chooser->comboBoxItems().value(0));
            chooser->accept();
        }
    });
    poll.start(5);
    fs::create_directories(test::testConfigDir());
    fs::create_symlink("/nonexistent/tty", portLinkPath("COM1")); // no adapter where COM1 leads
    form.FormCreate();
    window.setStarted();
    window.syncFromModel();
    window.show();
    ASSERT_FALSE(boxes.empty()); // the start-up could not use COM1
    EXPECT_EQ(boxes.front(), "Could Not Use the 'COM1' Serial Port!");
    boxes.clear();

    window.actionFor("COM21")->trigger(); // closed: only remembered
    window.actionFor("SerialDevice1")->trigger();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], stable.string() + " -> " + pty.string());
    EXPECT_EQ(fs::read_symlink(portLinkPath("COM2")), stable);
    // The serial adapter withdraws the AT89C1051 selected at first, as Initialisation says.
    EXPECT_EQ(boxes, std::vector<std::string>{"This Device NOT Allowed !\nWill Set The First Allowed Device."});
    EXPECT_TRUE(form.link.isOpen());
    EXPECT_EQ(std::string(form.st.adapter.infoLines[0].data()).rfind("Kestro Adapter Simulator", 0), 0u); // the handshake ran
    EXPECT_TRUE(form.st.adapter.serialAdapter);
    EXPECT_EQ(window.findChild<QLabel*>("ComLabel")->text(), "COM2");
    EXPECT_EQ(window.findChild<QLabel*>("ComLabel")->toolTip().toStdString(), "COM2: " + stable.string());
    // The device menus follow the adapter's map: the serial adapter withdraws some.
    int withdrawn = 0;
    for (const MenuItem& m : form.model.menus) {
        if (m.deviceIndex < 0) continue;
        const bool served = form.session.allowed(m.deviceIndex);
        withdrawn += !served;
        if (!served) {
            EXPECT_FALSE(window.actionFor(m.name)->isEnabled()) << m.name;
        }
    }
    EXPECT_GT(withdrawn, 0);

    window.close();
    ::kill(sim.pid(), SIGTERM);
    sim.finish();
    fs::remove_all(root);
}

} // namespace
} // namespace kestro
