#pragma once
// One run of kestro-cli on the adapter: the part chosen, the port opened and the
// handshake made as the window does at start, then the steps in the order written,
// stopping at the first failure.

#include "cli/cli_env.h"
#include "cli/cli_reporter.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "buffers/load_report.h"
#include "ops/file_ranges.h"
#include "session/session.h"
#include "session/state.h"
#include "sim/adapter_sim.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestro::cli {

struct StepResult {
    StepRequest request;
    ExitCode code = ExitCode::Done;
    double seconds = 0;
    std::string crcOf;            // "written", "read" or "verified"; empty: none
    uint32_t crc = 0;
    uint32_t bytes = 0;           // the bytes the CRC covers
    std::string savedPath;        // the file written, as the writer named it
    std::string fuses;            // read-fuses: the bytes, as printed
    std::string diff;             // --diff: the JSON of what it found
    std::string fusesSkipped;     // program: why Program Fuse did not run
    bool stopsRun = false;        // completed, but Ctrl+C came meanwhile: the run stops after it
};

// The bytes of the active image a step covers: the marker area, else all of it.
std::span<const uint8_t> coveredBytes(State& st);

class FuseSettings;

// [[first, last], ...]
std::string rangesJson(const std::vector<ChipRange>& ranges);

class Job {
public:
    Job(CliEnv& env, const CliOptions& options, Console& console);
    ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Part, files, port, handshake and selection: all that comes before the first step.
    ExitCode prepare();
    // Only the port and the handshake, for listing what the adapter serves.
    ExitCode connect();
    ExitCode runStep(const StepRequest& request, StepResult& result);
    // Restores and closes the port.
    void close();

    State& state() { return *st_; }
    // Made by prepare() or connect(), once the port is known.
    Session& session() { return *session_; }
    CliReporter& reporter() { return reporter_; }
    Console& console() { return console_; }
    const std::string& partName() const { return partName_; }
    const std::string& portLabel() const { return portLabel_; }
    int partIndex() const { return partIndex_; }
    // Brings the chosen part back after identification switched to another chip.
    void restorePart();
    // Checks that a file can be read now; the failure has been told (exit 3).
    bool readable(const std::string& path);
    // Checks that a file can be written in its folder; the failure has been told.
    bool writable(const std::string& path);
    // Loads FILE as Open does; false when it failed (told, exit 3).
    bool loadFile(const std::string& path);
    // Saves the image as Save does; false when it failed (told, exit 3).
    bool saveFile(const std::string& path, std::string& written);
    // --fuse, --config and --lock onto the fuse bytes and the lock mode; false when
    // one cannot be used (told, exit 2).
    bool applyFuseOptions();

    // --range file: the file's data as it lies in the chip, and the ranges the steps move
    // it in; both empty without it.
    const std::vector<ChipRange>& fileExtents() const { return fileExtents_; }
    const std::vector<ChipRange>& fileRanges() const { return fileRanges_; }
    // Bytes written into the image besides the file's (a serial number) are moved too.
    void coverAlso(uint32_t first, uint32_t last);
    // CRC-32 of the bytes the steps cover (the ranges, the marker area, else all), and
    // how many they are.
    uint32_t coveredCrc(uint32_t* bytes = nullptr);

private:
    ExitCode resolvePart();
    ExitCode checkFiles();
    ExitCode checkSteps(bool afterHandshake);
    ExitCode openAdapter();
    ExitCode openPortWithRetry();
    ExitCode handshake();
    ExitCode selectPart();
    ExitCode usage(const std::string& text);
    void diffAfterVerify(StepResult& result);
    void fillCrc(StepResult& result, const char* what);
    void hardwareTest();
    void readFusesOut(StepResult& result);
    // The fuse bytes came from somewhere: the file, the fuse options, a read-fuses.
    bool fusesGiven() const;
    bool fits(const std::string& path, const LoadReport& report);
    ExitCode planFileRanges();
    // The ranges for the extents, and the line that names them.
    void planRanges();
    std::vector<RangeOp> rangeOps() const;
    // Runs `op` once per range of the file (the marker area set to it), or once as it is;
    // stops at the first that does not complete.
    void overRanges(const std::function<void()>& op);
    void suggestFileRange(const std::string& path, const LoadReport& report);

    CliEnv& env_;
    const CliOptions& o_;
    Console& console_;
    std::unique_ptr<State> st_;
    std::unique_ptr<AdapterSim> sim_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<Session> session_;
    CliReporter reporter_;
    std::unique_ptr<FuseSettings> fuseSettings_;
    std::string partName_;
    std::string portLabel_;
    int partIndex_ = -1;
    bool fusesRead_ = false; // a read-fuses of this run succeeded
    bool configNoticeSaid_ = false;
    std::vector<ChipRange> fileExtents_;
    std::vector<ChipRange> fileRanges_;
    bool suggested_ = false; // the line on what --range file would take is said once
};

} // namespace kestro::cli
