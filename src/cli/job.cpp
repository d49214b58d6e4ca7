#include "cli/job.h"

#include "cli/fuse_settings.h"

#include "buffers/file_export.h"
#include "buffers/images.h"
#include "buffers/regular_file.h"
#include "devices/catalogue.h"
#include "devices/device_names.h"
#include "devices/selection_rules.h"
#include "devices/traits.h"
#include "ops/chains.h"
#include "link/port_access.h"
#include "link/port_path.h"
#include "link/tracing_port.h"
#include "session/settings_file.h"
#include "sim/demo.h"
#include "sim/fault_options.h"
#include "view/marker.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro::cli {

namespace {

constexpr int kPermissionRetryMs = 1000; // device nodes get their group a moment late

// The Process command a step stands for; the chain that programs stands for itself.
std::optional<ProcessCommand> commandOf(StepKind kind) {
    switch (kind) {
    case StepKind::Identify: return ProcessCommand::Identify;
    case StepKind::Read: return ProcessCommand::Read;
    case StepKind::Write: return ProcessCommand::Program;
    case StepKind::Verify: return ProcessCommand::Verify;
    case StepKind::Erase: return ProcessCommand::Erase;
    case StepKind::BlankCheck: return ProcessCommand::CheckErase;
    case StepKind::Lock: return ProcessCommand::ProgramSecurity;
    case StepKind::ReadFuses: return ProcessCommand::ReadFuse;
    case StepKind::WriteFuses: return ProcessCommand::ProgramFuse;
    default: return std::nullopt;
    }
}

// What a path that is no regular file is instead; null for a file or no path at all.
const char* notAFile(const std::string& path) {
    struct stat s {};
    if (::stat(path.c_str(), &s) != 0 || S_ISREG(s.st_mode)) return nullptr;
    if (S_ISDIR(s.st_mode)) return "a folder, not a file";
    if (S_ISFIFO(s.st_mode)) return "a pipe, not a file";
    if (S_ISSOCK(s.st_mode)) return "a socket, not a file";
    return "a device, not a file";
}

// "COM" and digits: a name of the kind COM1..COM4, not a path.
bool isComName(const std::string& name) {
    return name.size() > 3 && name.starts_with("COM") &&
           std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isInputStep(StepKind k) {
    return k == StepKind::Write || k == StepKind::Verify || k == StepKind::Program ||
           k == StepKind::Produce;
}

} // namespace

std::span<const uint8_t> coveredBytes(State& st) {
    const ActiveImage a = activeImage(st.images, st.device);
    if (!a.bytes) return {};
    uint32_t start = 0, end = a.size;
    if (st.marker.set) {
        start = std::min(st.marker.start, a.size);
        end = std::min(st.marker.end + 1, a.size);
    }
    return {a.bytes + start, end > start ? end - start : 0};
}

Job::Job(CliEnv& env, const CliOptions& options, Console& console)
    : env_(env), o_(options), console_(console), st_(std::make_unique<State>()),
      reporter_(console, *st_, options.answer, options.noWaits), fuseSettings_(layoutFuseSettings()) {
    reporter_.windowTiming = options.windowTiming;
    reporter_.adjustFuses = [this](FuseValues& v) { fuseSettings_->apply(st_->device.index, v); };
    reporter_.onAbort = [this] {
        if (session_) session_->close(); // the settings found at open go back on the port
        env_.exitAtOnce(exitNumber(ExitCode::Cancelled));
    };
    env_.interruptWhileWaiting = [this] { reporter_.abortOnSecondInterrupt(); };
}

Job::~Job() {
    env_.interruptWhileWaiting = nullptr;
    close();
}

bool Job::applyFuseOptions() {
    std::string error;
    bool ok = true;
    for (const std::string& f : o_.fuses) {
        const size_t eq = f.find('=');
        if (eq == std::string::npos) {
            error = "--fuse wants NAME=VALUE, not '" + f + "'";
            ok = false;
            break;
        }
        if (!(ok = fuseSettings_->set(*st_, f.substr(0, eq), f.substr(eq + 1), error))) break;
    }
    if (ok && o_.config) {
        std::string notice;
        ok = fuseSettings_->setConfiguration(*st_, *o_.config, error, notice);
        if (!notice.empty() && !configNoticeSaid_) console_.say("warning: " + notice);
        configNoticeSaid_ = true;
    }
    if (ok && o_.lock) ok = fuseSettings_->setLockLevel(*st_, *o_.lock, error);
    if (!ok) reporter_.fail(ExitCode::Usage, error);
    return ok;
}

void Job::close() {
    if (session_) session_->close();
    session_.reset();
    port_.reset(); // a simulator stops with its port
}

ExitCode Job::usage(const std::string& text) {
    console_.error(text);
    return ExitCode::Usage;
}

ExitCode Job::prepare() {
    for (ExitCode (Job::*step)() : {&Job::resolvePart, &Job::checkFiles, &Job::openAdapter,
                                        &Job::handshake, &Job::selectPart}) {
        const ExitCode code = (this->*step)();
        if (code != ExitCode::Done) return code;
    }
    return ExitCode::Done;
}

ExitCode Job::connect() {
    if (o_.simulate)
        sim_ = std::make_unique<AdapterSim>(adapterConfig(AdapterKind::Full), SimChip::blank(kEmptySocket));
    if (const ExitCode code = openAdapter(); code != ExitCode::Done) return code;
    session_->lookUp(0);
    if (const Fault f = session_->handshake(); f != Fault::None) {
        console_.error(faultMessage(f));
        return exitCodeOf(f);
    }
    return ExitCode::Done;
}

ExitCode Job::resolvePart() {
    std::optional<std::string> name = o_.part;
    // The chip in a simulated socket: as named, else a blank one of the part, else the
    // demo chip, which then is the part.
    std::optional<int> chip;
    bool demo = false;
    if (o_.simulate) {
        const std::string& c = o_.simulateChip;
        if (c.empty() && !name) {
            demo = true;
            name = std::string(kDemoChipName);
        } else if (c == "any" || c == "none") {
            chip = c == "any" ? kAnyChip : kEmptySocket;
        } else if (!c.empty()) {
            chip = findDeviceIgnoringCase(c);
            if (!chip) return usage("--simulate: no chip named '" + c + "' in the catalogue");
            if (!name) name = std::string(catalogueRows()[static_cast<size_t>(*chip)].name);
        }
    }
    if (!name) return usage("no part given: name it with -p NAME (see kestro-cli parts)");
    const auto index = findDeviceIgnoringCase(*name);
    if (!index) {
        std::string text = "no part named '" + *name + "'; the closest:";
        for (std::string_view n : closestDeviceNames(*name, 5)) {
            text += ' ';
            text += n;
        }
        return usage(text);
    }
    partIndex_ = *index;
    partName_ = menuName(partIndex_);
    if (o_.simulate) {
        sim_ = std::make_unique<AdapterSim>(adapterConfig(AdapterKind::Full),
                                            demo ? demoChip() : SimChip::blank(chip.value_or(partIndex_)));
        for (const std::string& desc : o_.simulateFaults) {
            std::string error;
            if (!applyFaultSetting(desc, sim_->faults, error)) return usage("--simulate-fault: " + error);
        }
    }
    // What the part offers, before anything is sent (the adapter kind may withdraw more).
    return checkSteps(false);
}

ExitCode Job::checkSteps(bool afterHandshake) {
    const bool serial = afterHandshake && st_->adapter.serialAdapter;
    const auto on = [&](ProcessCommand c) { return offered(partIndex_, serial, c); };
    const std::string where = afterHandshake ? " on this adapter" : "";
    for (size_t i = 0; i < o_.steps.size(); ++i) {
        const StepRequest& s = o_.steps[i];
        const std::string name(stepEntry(s.kind).name);
        if (s.kind == StepKind::Program || s.kind == StepKind::Produce) {
            // The chain the menu offers for programming: Program, or Erase+Program.
            if (!programmingChain(partIndex_, serial))
                return usage(name + ": the " + partName_ + " offers no Program" + where);
            if (s.kind == StepKind::Produce && o_.erase && !on(ProcessCommand::Erase))
                return usage("produce: the " + partName_ + " offers no Erase" + where);
            if (s.kind == StepKind::Produce && o_.secure && !on(ProcessCommand::ProgramSecurity))
                return usage("produce: the " + partName_ + " offers no Program Security" + where);
            continue;
        }
        const std::optional<ProcessCommand> c = commandOf(s.kind);
        if (!c || on(*c)) continue;
        // Where Program alone is off the menu offers Erase+Program: "erase write" is it.
        const bool afterErase = i > 0 && o_.steps[i - 1].kind == StepKind::Erase;
        if (s.kind == StepKind::Write && afterErase && on(ProcessCommand::EraseProgram)) continue;
        std::string text = name + ": the " + partName_ + " offers no " + std::string(commandCaption(*c)) + where;
        if (s.kind == StepKind::Write && on(ProcessCommand::EraseProgram))
            text += " but Erase+Program: 'erase write FILE' or 'program FILE'";
        return usage(text);
    }
    return ExitCode::Done;
}

bool Job::readable(const std::string& path) {
    const int fd = openRegularFile(path);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    const int e = errno;
    reporter_.fail(ExitCode::File, std::string(cantOpenMessage(path)) + " (" + path + ": " +
                                       (notAFile(path) ? notAFile(path) : e ? std::strerror(e) : "not a file") + ")");
    return false;
}

bool Job::writable(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    const bool ok = ::access(folder.c_str(), W_OK | X_OK) == 0 &&
                    (::access(path.c_str(), F_OK) != 0 || ::access(path.c_str(), W_OK) == 0);
    if (!ok)
        reporter_.fail(ExitCode::File, std::string(kCantSave) + " (" + path + ": " + std::strerror(errno) + ")");
    return ok;
}

ExitCode Job::checkFiles() {
    reporter_.beginStep();
    for (const StepRequest& s : o_.steps) {
        if (s.file.empty()) continue;
        const bool ok = isInputStep(s.kind) ? readable(s.file) : writable(s.file);
        if (!ok) return ExitCode::File;
    }
    for (const auto* out : {&o_.diffFile, &o_.journal})
        if (*out && !writable(**out)) return ExitCode::File;
    return ExitCode::Done;
}

ExitCode Job::openAdapter() {
    std::string portName;
    std::unique_ptr<SerialPort> port;
    if (sim_) {
        sim_->keepReceived = false; // a production run may go on for hours
        std::string error;
        port = env_.simulatorPort(*sim_, o_.simulatePaced, portName, error);
        if (!port) {
            console_.error("the simulator could not start: " + error);
            return ExitCode::Internal;
        }
        portLabel_ = "simulated";
    } else {
        if (o_.port && isComName(*o_.port) && portIndexOfName(*o_.port) < 0)
            return usage("-P " + *o_.port + ": the COM names are COM1 to COM4; name any other port by "
                         "its device path (/dev/ttyUSB0)");
        if (o_.port) {
            portName = *o_.port;
        } else {
            Settings settings;
            SelectedDevice scratch;
            readSettingsFile(settings, scratch); // no file: COM1, as the window starts
            portName = portNameOfIndex(settings.portIndex);
        }
        // The waits pace a real adapter; only a simulator does without them.
        if (o_.noWaits && !env_.simulatorBehind(portName))
            return usage("--no-waits: only with --simulate or kestro-sim; a real adapter needs the waits");
        port = env_.makeSerialPort();
        portLabel_ = portName;
    }
    if (o_.verbose >= 2) // every byte on the line
        port = std::make_unique<TracingPort>(std::move(port), [this](const std::string& line) { console_.wire(line); });
    port_ = std::move(port);
    session_ = std::make_unique<Session>(*st_, *port_, reporter_);
    st_->link.portName = portName;
    return openPortWithRetry();
}

ExitCode Job::openPortWithRetry() {
    SerialPort::OpenResult r = session_->tryOpen();
    if (r.status == SerialPort::OpenStatus::OpenFailed && r.error == EACCES) {
        env_.sleepMs(kPermissionRetryMs);
        r = session_->tryOpen();
    }
    if (r.status == SerialPort::OpenStatus::Ok) {
        console_.detail("port " + portLabel_ + " open");
        return ExitCode::Done;
    }
    const std::string& name = st_->link.portName;
    const std::string device = portDevicePath(name).string();
    std::string text = openFailureText(r, name);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    text += " (" + (device == name ? name : name + " = " + device) + ": " + std::strerror(r.error) + ")";
    console_.error(text);
    if (r.error == EACCES) {
        console_.say(permissionAdvice(device, loginName()));
    } else if (r.error == EBUSY || r.error == EWOULDBLOCK) {
        console_.say("Another program has " + device + " open.");
    } else if (r.error == ENOENT && portIndexOfName(name) >= 0) {
        console_.say("Make " + portLinkPath(name).string() +
                     " a link to the adapter's device, or give --port PATH (see kestro-cli ports).");
    }
    return ExitCode::Port;
}

ExitCode Job::handshake() {
    session_->lookUp(partIndex_);
    if (const Fault f = session_->handshake(); f != Fault::None) {
        console_.error(faultMessage(f));
        return exitCodeOf(f);
    }
    for (const auto& line : st_->adapter.infoLines) {
        std::string text = line.data();
        while (!text.empty() && text.back() == ' ') text.pop_back(); // sent padded to 32
        if (!text.empty()) console_.detail("adapter: " + text);
    }
    if (!session_->allowed(partIndex_))
        return usage("This Device NOT Allowed ! (the adapter does not serve the " + partName_ + ")");
    return checkSteps(true);
}

ExitCode Job::selectPart() {
    State& st = *st_;
    session_->select(partIndex_);
    st.settings.verifyAfterProgram = o_.verify;
    st.settings.autoDataMemory = o_.dataMemory;
    if (o_.dataView) {
        if (st.device.programSize == 0 || st.device.dataSize == 0)
            return usage("--data: the " + partName_ + " has no data memory beside its program memory");
        st.images.view = DataView;
    }
    if (o_.range) {
        if (!markerAreaAvailable(partIndex_)) {
            const std::string which = traitsOf(partIndex_).microcontroller
                                          ? "not to microcontrollers such as the " + partName_
                                          : "the " + partName_ + " is always moved whole";
            return usage("--range: ranges apply to memory chips, " + which);
        }
        if (*o_.range == "file") {
            console_.detail("part " + partName_);
            return planFileRanges();
        }
        const size_t colon = o_.range->find(':');
        const std::string start = o_.range->substr(0, colon);
        const std::string end = colon == std::string::npos ? "" : o_.range->substr(colon + 1);
        const uint32_t first = parseMarkerField(start, st.device.dataSize);
        const uint32_t last = parseMarkerField(end, st.device.dataSize);
        if (const MarkerCheck check = checkMarker(first, last, st.device.dataSize);
            check != MarkerCheck::Ok) {
            console_.error(markerCheckMessage(check));
            console_.say("--range wants START:END, six hexadecimal digits each, within 000000:" +
                         markerFieldText(st.device.dataSize - 1));
            return ExitCode::Usage;
        }
        st.marker = {first, last, true, first, last};
        console_.detail(markerLabelText(first, last));
    }
    console_.detail("part " + partName_);
    return ExitCode::Done;
}

void Job::restorePart() { session_->lookUp(partIndex_); }

bool Job::loadFile(const std::string& path) {
    Images& img = st_->images;
    const auto id = img.idBlock;
    const auto config = img.configBlock;
    LoadReport report;
    const FileResult r = loadImageFile(path, img, st_->device, &report);
    if (!r.ok) {
        // The window's text, then where, as compilers say it.
        const std::string where = report.errorLine == 0
                                      ? " (" + path + ")"
                                      : "\n" + path + ":" + std::to_string(report.errorLine) + ": " +
                                            report.errorWhat;
        reporter_.fail(ExitCode::File, r.message + where);
        return false;
    }
    if (report.hexText)
        console_.say("warning: " + path + " holds Intel HEX but loads as a binary image; "
                     "name it .hex to load its records");
    console_.detail("loaded " + path);
    if (fusesRead_ && !img.fusesLoaded) { // the file has none: the chip's stay
        img.idBlock = id;
        img.configBlock = config;
    }
    if (!fits(path, report)) return false;
    if (!suggested_) suggestFileRange(path, report);
    suggested_ = true;
    return true;
}

// A file that does not fit the part is refused here, before anything is programmed;
// the window keeps its own rules (it loads what fits and drops the rest). What the
// loader left out on purpose is no data outside the part.
bool Job::fits(const std::string& path, const LoadReport& report) {
    const SelectedDevice& dev = st_->device;
    auto sizes = [&] {
        std::string t = "program memory " + std::to_string(dev.programSize) + " bytes";
        if (dev.programSize == 0) t = "memory " + std::to_string(dev.dataSize) + " bytes";
        else if (dev.dataSize > 0) t += ", data memory " + std::to_string(dev.dataSize) + " bytes";
        return t;
    };
    if (report.kind == LoadReport::Elf) return true; // refused as it loads
    if (report.empty()) {
        reporter_.fail(ExitCode::File, path + " holds no data");
        return false;
    }
    if (report.kind == LoadReport::Hex && report.outsideBytes > 0) {
        char at[24];
        std::snprintf(at, sizeof at, "%.6llXh", static_cast<unsigned long long>(report.firstOutside));
        reporter_.fail(ExitCode::File, path + ": data at " + at + " lies outside the " + partName_ + " (" +
                                           sizes() + ")");
        return false;
    }
    if (report.kind != LoadReport::Binary) return true;
    const uint32_t memory = activeImage(st_->images, dev).size;
    if (report.outsideBytes > 0) {
        reporter_.fail(ExitCode::File, path + ": " + std::to_string(report.fileBytes) +
                                           " bytes do not fit the " + std::to_string(memory) +
                                           " bytes of the " + partName_);
        return false;
    }
    if (report.fileBytes < memory && fileRanges_.empty())
        console_.say(path + " covers " + std::to_string(report.fileBytes) + " of the " +
                     std::to_string(memory) + " bytes; the rest is programmed as FF");
    return true;
}

bool Job::saveFile(const std::string& path, std::string& written) {
    // The fuse bytes are what a Read Fuse left; the pair is them as a .fus file holds them.
    // After a read of the data memory alone only what was read is saved.
    const bool withProgram = st_->images.view == ProgramView;
    std::optional<ByteRange> range;
    if (st_->marker.set) range = ByteRange{st_->marker.start, st_->marker.end};
    const FileResult r = exportImageFile(path, st_->images, st_->device, [this] {
        return std::array<uint8_t, 2>{st_->images.configBlock[0], st_->images.configBlock[1]};
    }, withProgram, range);
    written = r.path;
    if (!r.ok) {
        // The file of the set that failed (a side file too) and why.
        const std::string& failed = r.failedPath.empty() ? r.path : r.failedPath;
        reporter_.fail(ExitCode::File,
                       r.message + " (" + failed + (r.reason.empty() ? "" : ": " + r.reason) + ")");
        return false;
    }
    return true;
}

} // namespace kestro::cli
