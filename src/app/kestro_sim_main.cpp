// kestro-sim: the adapter simulator on a pseudo-terminal, linked as COMn in Kestro's
// config folder, so the program can be run and tried without hardware.

#include "devices/catalogue.h"
#include "link/port_path.h"
#include "link/config_dir.h"
#include "sim/demo.h"
#include "sim/fault_options.h"
#include "sim/pty_adapter.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <string>

using namespace kestro;

namespace {

std::atomic<bool> gStop{false};
void onSignal(int) { gStop = true; }

constexpr const char* kUsage = R"(Usage: kestro-sim [options]
Runs the Kestro adapter simulator on a pseudo-terminal and links it as COMn in the
Kestro config folder ($XDG_CONFIG_HOME/kestro, else ~/.config/kestro). Stops on
Ctrl+C, SIGTERM or SIGHUP and removes its link.

  --port COMn                 the link to create: COM1 (default) .. COM4
  --adapter KIND              full (default), serial, socket5, wrong-version,
                              wrong-checksum
  --firmware-version N        the version byte the handshake reports (29 matches)
  --chip NAME                 the chip in the socket: a device name as the menus
                              and kestro-cli -p name it, any case (AT89C52, the
                              default, 27C256, 29C010A ...); any (a blank chip
                              without a signature that takes the shape of whatever
                              device the program selects); none (empty socket)
  --memory blank|pattern|FILE the chip's main memory at start (default blank)
  --data blank|pattern|FILE   its data memory at start
  --demo                      the demo: --chip AT89C52 --memory pattern, and a
                              settings file selecting that chip on COM1 when the
                              config folder has none (later options still apply)
  --silent-from K             answer nothing from received byte K on (from 1)
  --wrong-echo-from K         echo every byte inverted from byte K on
  --hang-up-at K              drop the line when byte K arrives, then exit
  --bad-checksum once|always  block reads, and the sums answering blocks to
                              program, carry a wrong checksum
  --short-block once|always   block reads lose their last byte
  --status-167                every programmed block reports 167 (chip failed)
  --block-status N            every programmed block reports N (210 is done)
  --save-chip PREFIX          write the chip as raw files at start and again on
                              exit: PREFIX.mem (main memory), PREFIX.data (data
                              memory, when the chip has one), PREFIX.fuses (its 4
                              fuse bytes, 32 on a PIC18 or the chip of any shape)
                              and PREFIX.lock (the lock byte)
  --paced                     pace the line at 19200 baud, like a real adapter
  --trace                     print what arrives and what is answered (stderr)
  -h, --help                  this text
  --version                   the program's version
)";

[[noreturn]] void fail(const std::string& text) {
    std::fprintf(stderr, "kestro-sim: %s\n", text.c_str());
    std::exit(2);
}

uint32_t number(const char* option, const char* value, unsigned long min, unsigned long max) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(value, &end, 10);
    if (!*value || *end || v < min || v > max)
        fail(std::string(option) + " wants a number from " + std::to_string(min) + " to " +
             std::to_string(max) + ", not '" + value + "'");
    return static_cast<uint32_t>(v);
}
void fault(const option& o, const char* value, AdapterFaults& faults) {
    std::string error;
    if (!applyFaultOption(o.name, value ? value : "", faults, error)) fail("--" + error);
}

void load(std::vector<uint8_t>& memory, const std::string& source) {
    const auto size = loadMemory(memory, source);
    if (!size) fail("cannot read " + source);
    if (*size > memory.size())
        std::fprintf(stderr, "kestro-sim: %s holds %zu bytes, the chip %zu: the rest is left out\n",
                     source.c_str(), *size, memory.size());
}

std::string chipText(int device) {
    if (device == kAnyChip) return "any chip, no signature";
    if (device == kEmptySocket) return "empty socket";
    return std::string(catalogueRows()[static_cast<size_t>(device)].name);
}

} // namespace

int main(int argc, char** argv) {
    enum Opt { Port = 1, Adapter, Version, ProgramVersion, Chip, Memory, Data, Silent, WrongEcho, HangUp,
               BadChecksum, ShortBlock, Status167, BlockStatus, SaveChip, Paced, Trace, Demo };
    const option options[] = {
        {"port", required_argument, nullptr, Port},
        {"adapter", required_argument, nullptr, Adapter},
        {"firmware-version", required_argument, nullptr, Version},
        {"version", no_argument, nullptr, ProgramVersion},
        {"chip", required_argument, nullptr, Chip},
        {"memory", required_argument, nullptr, Memory},
        {"data", required_argument, nullptr, Data},
        {"silent-from", required_argument, nullptr, Silent},
        {"wrong-echo-from", required_argument, nullptr, WrongEcho},
        {"hang-up-at", required_argument, nullptr, HangUp},
        {"bad-checksum", required_argument, nullptr, BadChecksum},
        {"short-block", required_argument, nullptr, ShortBlock},
        {"status-167", no_argument, nullptr, Status167},
        {"block-status", required_argument, nullptr, BlockStatus},
        {"save-chip", required_argument, nullptr, SaveChip},
        {"paced", no_argument, nullptr, Paced},
        {"trace", no_argument, nullptr, Trace},
        {"demo", no_argument, nullptr, Demo},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    std::string portName = "COM1", kindName = "full", memorySource = "blank", dataSource = "blank";
    std::string savePrefix;
    int version = -1;
    int device = *chipByName(kDemoChipName);
    AdapterFaults faults;
    bool paced = false, tracing = false, demo = false;
    int at = 0;
    for (int c; (c = getopt_long(argc, argv, "h", options, &at)) != -1;) {
        switch (c) {
        case Port: portName = optarg; break;
        case Adapter: kindName = optarg; break;
        case Version: version = static_cast<int>(number("--firmware-version", optarg, 0, 255)); break;
        case ProgramVersion:
            // The handshake's byte was once set with --version N.
            if (optind < argc && argv[optind][0] >= '0' && argv[optind][0] <= '9')
                fail(std::string("--version prints the program's version; the handshake's "
                                 "version byte is --firmware-version ") + argv[optind]);
            std::printf("kestro-sim %s\n", KESTRO_VERSION);
            return 0;
        case Chip:
            if (auto d = chipByName(optarg)) device = *d;
            else fail(std::string("no chip named '") + optarg + "' in the catalogue");
            break;
        case Memory: memorySource = optarg; break;
        case Data: dataSource = optarg; break;
        case Silent:
        case WrongEcho:
        case HangUp:
        case BadChecksum:
        case ShortBlock:
        case Status167:
        case BlockStatus: fault(options[at], optarg, faults); break;
        case SaveChip:
            savePrefix = optarg;
            if (savePrefix.empty()) fail("--save-chip wants a file name prefix");
            break;
        case Paced: paced = true; break;
        case Trace: tracing = true; break;
        case Demo:
            demo = true;
            device = *chipByName(kDemoChipName);
            memorySource = "pattern";
            break;
        case 'h': std::fputs(kUsage, stdout); return 0;
        default: std::fputs(kUsage, stderr); return 2;
        }
    }
    if (optind < argc) fail(std::string("unexpected argument '") + argv[optind] + "'");
    if (portIndexOfName(portName) < 0) fail("--port wants COM1 .. COM4, not '" + portName + "'");
    const auto kind = adapterKindByName(kindName);
    if (!kind) fail("unknown adapter kind '" + kindName + "'");

    AdapterConfig config = adapterConfig(*kind);
    if (version >= 0) {
        config.capabilityMap[6] = static_cast<uint8_t>(version);
        config.infoLines[1] = "Firmware version " + std::to_string(version);
    }
    std::string error;
    AdapterSim sim(config, SimChip::blank(device));
    sim.faults = faults;
    sim.keepReceived = false;
    load(sim.chip.memory, memorySource);
    load(sim.chip.data, dataSource);
    const auto started = std::chrono::steady_clock::now();
    if (tracing) {
        sim.trace = [started](const std::string& line) {
            const std::chrono::duration<double> t = std::chrono::steady_clock::now() - started;
            std::fprintf(stderr, "[%9.3f] %s\n", t.count(), line.c_str());
        };
    }

    // Saved once before serving, so a prefix that cannot be written fails now.
    if (!savePrefix.empty() && !saveChip(sim.chip, savePrefix, error)) fail(error);

    struct sigaction sa {};
    sa.sa_handler = onSignal; // no SA_RESTART: poll() returns and the loop sees the flag
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &sa, nullptr);

    if (demo && !writeDemoSettings(configDir(), error)) fail(error);
    PtyAdapter pty(sim);
    pty.paced = paced;
    const auto link = portLinkPath(portName);
    if (!pty.open(error) || !pty.publish(link, error)) fail(error);
    std::printf("kestro-sim: %s -> %s (%s adapter, version %u, %s%s)\n", link.c_str(),
                pty.slavePath().c_str(), kindName.c_str(), config.capabilityMap[6],
                chipText(device).c_str(), paced ? ", paced at 19200 baud" : "");
    std::fflush(stdout);
    pty.serve(gStop);
    if (sim.hungUp()) std::printf("kestro-sim: hung up at byte %u as asked\n", faults.hangUpAtByte);
    if (!savePrefix.empty()) {
        if (!saveChip(sim.chip, savePrefix, error)) {
            std::fprintf(stderr, "kestro-sim: chip not saved: %s\n", error.c_str());
            return 1;
        }
        std::printf("kestro-sim: chip saved as %s.*\n", savePrefix.c_str());
    }
    return 0; // the link goes with `pty`
}
