#include "cli/posix_env.h"

#include "link/port_path.h"
#include "link/posix_serial_port.h"
#include "sim/pty_adapter.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace kestro::cli {

namespace {

volatile std::sig_atomic_t gInterrupts = 0;
// Written once per press, read by the port's waits: whichever thread the signal
// reaches, the wait for the adapter wakes at once.
int gWake[2] = {-1, -1};

void onInterrupt(int) {
    gInterrupts = gInterrupts + 1;
    const int saved = errno;
    if (gWake[1] >= 0) (void)!::write(gWake[1], "", 1);
    errno = saved;
    // After the second press the third ends the program as the system would.
    if (gInterrupts >= 2) std::signal(SIGINT, SIG_DFL);
}

void writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text.remove_prefix(static_cast<size_t>(n));
    }
}

void watch(PosixSerialPort& port, CliEnv& env) {
    port.watchInterrupts(gWake[0], [&env] {
        if (env.interruptWhileWaiting) env.interruptWhileWaiting();
    });
}

// The simulator on its own pty and thread, and the program's port on the other side.
// Closing the port comes first, then the simulator stops.
class SimulatedLine : public SerialPort {
public:
    SimulatedLine(AdapterSim& sim, CliEnv& env) : pty_(sim) { watch(port_, env); }
    ~SimulatedLine() override {
        port_.close();
        stop_ = true;
        if (server_.joinable()) server_.join();
    }
    bool start(bool paced, std::string& error) {
        pty_.paced = paced;
        if (!pty_.open(error)) return false;
        server_ = std::thread([this] { pty_.serve(stop_); });
        return true;
    }
    const std::string& path() const { return pty_.slavePath(); }

    OpenResult open(const std::string& portName) override { return port_.open(portName); }
    OpenResult reopen() override { return port_.reopen(); }
    bool close() override { return port_.close(); }
    bool writeByte(uint8_t b) override { return port_.writeByte(b); }
    size_t read(uint8_t* buf, size_t n) override { return port_.read(buf, n); }

private:
    PtyAdapter pty_;
    std::atomic<bool> stop_{false};
    std::thread server_;
    PosixSerialPort port_;
};

} // namespace

PosixEnv::PosixEnv() {
    if (gWake[0] < 0 && ::pipe2(gWake, O_NONBLOCK | O_CLOEXEC) != 0) gWake[0] = gWake[1] = -1;
    struct sigaction sa{};
    // No SA_RESTART: a prompt waiting on stdin must see Ctrl+C at once; every other
    // wait of the program goes on after EINTR by itself.
    sa.sa_handler = onInterrupt;
    sigaction(SIGINT, &sa, nullptr);
    stdoutTerminal = ::isatty(STDOUT_FILENO) == 1;
    stderrTerminal = ::isatty(STDERR_FILENO) == 1;
    stdinTerminal = ::isatty(STDIN_FILENO) == 1;
    const char* noColour = std::getenv("NO_COLOR");
    noColor = noColour && *noColour;
    const char* term = std::getenv("TERM");
    dumbTerminal = term && std::string_view(term) == "dumb";
    winsize ws{};
    if (stderrTerminal && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 20)
        terminalColumns = ws.ws_col;
}

PosixEnv::~PosixEnv() { std::signal(SIGINT, SIG_DFL); }

void PosixEnv::writeOut(std::string_view text) { writeAll(STDOUT_FILENO, text); }
void PosixEnv::writeErr(std::string_view text) { writeAll(STDERR_FILENO, text); }

bool PosixEnv::readLine(std::string& line) {
    line.clear();
    for (char c;;) {
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) {
            if (gInterrupts) return false; // Ctrl+C at a prompt: no more input
            continue;
        }
        if (n <= 0) return !line.empty();
        if (c == '\n') return true;
        if (c != '\r') line += c;
    }
}

uint64_t PosixEnv::nowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void PosixEnv::sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int64_t PosixEnv::wallClockSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

int PosixEnv::interrupts() { return gInterrupts; }

void PosixEnv::exitAtOnce(int code) { std::_Exit(code); }

std::unique_ptr<SerialPort> PosixEnv::makeSerialPort() { return makeSerialPortFor(*this); }

std::unique_ptr<SerialPort> PosixEnv::makeSerialPortFor(CliEnv& owner) {
    auto port = std::make_unique<PosixSerialPort>();
    watch(*port, owner);
    return port;
}

bool PosixEnv::simulatorBehind(const std::string& portName) {
    std::error_code ec;
    const std::filesystem::path device = std::filesystem::canonical(portDevicePath(portName), ec);
    return !ec && device.string().starts_with("/dev/pts/");
}

std::unique_ptr<SerialPort> PosixEnv::simulatorPort(AdapterSim& sim, bool paced, std::string& portName,
                                                    std::string& error) {
    auto line = std::make_unique<SimulatedLine>(sim, *this);
    if (!line->start(paced, error)) return nullptr;
    portName = line->path();
    return line;
}

} // namespace kestro::cli
