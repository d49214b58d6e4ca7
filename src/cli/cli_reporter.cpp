#include "cli/cli_reporter.h"

#include "fuses/fuse_codec.h"
#include "ops/operation.h"
#include "view/marker.h"

#include <algorithm>
#include <cstdio>

namespace kestro::cli {

namespace {
constexpr int kWaitSliceMs = 20; // how soon a second Ctrl+C is seen during a wait

bool yes(std::string line) {
    std::transform(line.begin(), line.end(), line.begin(), [](unsigned char c) { return std::tolower(c); });
    return line == "y" || line == "yes";
}
} // namespace

CliReporter::CliReporter(Console& console, State& st, Answer answer, bool noWaits)
    : console_(console), st_(st), answer_(answer), noWaits_(noWaits) {}

void CliReporter::beginStep() {
    failure_ = {};
    unknownShown_ = false;
    chosenPart_ = st_.device.name;
}

bool CliReporter::interrupted() { return console_.env().interrupts() > 0; }

void CliReporter::record(ExitCode code, Fault fault, std::string_view text) {
    if (failed()) return; // the first failure of a step is the one it ends with
    failure_.code = code;
    failure_.fault = fault;
    failure_.text = text;
}

void CliReporter::fail(ExitCode code, const std::string& text) {
    if (console_.operationOpen()) console_.endOperation(OperationEnd::Failed);
    record(code, Fault::None, text);
    console_.error(text);
}

void CliReporter::abortOnSecondInterrupt() {
    if (console_.env().interrupts() < 2 || !onAbort) return;
    // One line, then the end: where the operation on show got to, and what that leaves.
    std::string text = "ended at once by a second Ctrl+C";
    if (console_.operationOpen()) {
        text = console_.operationText() + " " + text;
        if (console_.inProgressMode()) text += " at " + addressText(st_.marker.start + done_);
        if (partlyProgrammed()) text += "; the chip is only partly programmed";
        console_.dropOperation();
    }
    console_.error(text);
    onAbort();
}

// The operation on show puts blocks into the chip and has not put all of them.
bool CliReporter::partlyProgrammed() const {
    const auto command = static_cast<Command>(st_.link.packet[kPosCommand]);
    return (command == Command::ProgramProgram || command == Command::ProgramData) && done_ < transferBytes();
}

void CliReporter::messageMode(std::string_view text, uint32_t color) {
    done_ = 0;
    console_.beginOperation(text, false, 0, color);
}

// The total the panel gets is counted in whole blocks; the line tells the bytes as they are.
void CliReporter::progressMode(std::string_view text, uint32_t, uint32_t color) {
    done_ = 0;
    console_.beginOperation(text, true, transferBytes(), color);
}

// The block in hand has completed: it counts, whether the transfer goes on or stops.
bool CliReporter::progressStep(uint32_t done) {
    done_ = std::min(done, transferBytes());
    console_.progress(done_, st_.marker.start);
    abortOnSecondInterrupt();
    return interrupted();
}

// The bytes of the transfer: whole blocks and the last one's own length.
uint32_t CliReporter::transferBytes() const {
    return static_cast<uint32_t>(st_.link.blockCountMinus1) * 128u + st_.link.lastBlockLength;
}

void CliReporter::status(std::string_view text) {
    if (text == kUnknownDeviceText) unknownShown_ = true;
    console_.status(text);
}

void CliReporter::holdUntilCancel(Fault kind, std::string_view text) {
    if (console_.operationOpen()) console_.endOperation(OperationEnd::Failed);
    record(exitCodeOf(kind), kind, text);
    failure_.hasDifference = true;
    failure_.difference = st_.ops.difference;
    console_.error(text);
    const Difference& d = st_.ops.difference;
    char line[96];
    if (kind == Fault::ContentDiffers)
        std::snprintf(line, sizeof line, "  address %.6lXh: file %02X, chip %02X",
                      static_cast<unsigned long>(d.address), d.expected, d.found);
    else
        std::snprintf(line, sizeof line, "  address %.6lXh: %02X", static_cast<unsigned long>(d.address),
                      d.found);
    console_.errorDetail(line);
    // Nobody is there to press Cancel: the difference has been told, the step ends.
}

void CliReporter::operatorInterrupt() {
    console_.status("Operator Interrupt");
    if (console_.operationOpen()) console_.endOperation(OperationEnd::Interrupted);
    record(ExitCode::Cancelled, Fault::Interrupted, "Operator Interrupt");
    if (partlyProgrammed()) {
        const uint32_t start = st_.marker.start;
        console_.error("the chip is only partly programmed: " + addressText(start) + " to " +
                       addressText(start + done_ - 1) + " of " + addressText(start) + " to " +
                       addressText(start + transferBytes() - 1));
    }
}

void CliReporter::hidePanel() { console_.endOperation(OperationEnd::Done); }

void CliReporter::partlyErased(int sent, int packets) {
    if (console_.operationOpen()) console_.endOperation(OperationEnd::Interrupted);
    const std::string text = "the chip is only partly erased: " + std::to_string(sent) + " of " +
                             std::to_string(packets) + " erase packets were sent";
    record(ExitCode::Cancelled, Fault::Interrupted, text);
    failure_.erasePacketsSent = sent;
    failure_.erasePackets = packets;
    console_.error(text);
}

void CliReporter::beep() { console_.bell(); }

void CliReporter::waitMs(int ms) {
    if (noWaits_) return;
    console_.wire("wait " + std::to_string(ms) + " ms"); // beside the bytes, where the time goes
    CliEnv& env = console_.env();
    const uint64_t end = env.nowMs() + static_cast<uint64_t>(std::max(ms, 0));
    for (uint64_t now = env.nowMs(); now < end; now = env.nowMs()) {
        abortOnSecondInterrupt();
        if (interrupted()) return; // a fixed wait ends at once
        env.sleepMs(static_cast<int>(std::min<uint64_t>(kWaitSliceMs, end - now)));
    }
    abortOnSecondInterrupt();
}

void CliReporter::shownWaitMs(int ms) {
    if (windowTiming) waitMs(ms);
    else abortOnSecondInterrupt();
}

bool CliReporter::ask(const std::string& text, const std::string& caption) {
    CliEnv& env = console_.env();
    bool answer = answer_ == Answer::Yes;
    if (answer_ == Answer::Ask && env.stdinTerminal) {
        if (console_.operationOpen()) console_.endOperation(OperationEnd::Done);
        env.writeErr(caption + ": " + text + " [y/N] ");
        std::string line;
        answer = env.readLine(line) && yes(line);
    } else {
        // Declined, identification has not found the chip: its line does not say done.
        if (!answer && console_.operationOpen()) console_.endOperation(OperationEnd::Failed);
        console_.say(caption + ": " + text + (answer ? " - yes (--yes)" : " - no (--yes goes on)"));
    }
    if (!answer) record(ExitCode::Chip, Fault::Declined, caption + ": " + text + " - no");
    return answer;
}

void CliReporter::failure(Fault kind, const std::string& text) {
    if (console_.operationOpen()) console_.endOperation(OperationEnd::Failed);
    // The window shows a failed block as a line fault; a script is told what it is.
    const std::string said =
        kind == Fault::ChipFailed ? "the chip failed to program a block (block status 167)" : text;
    record(exitCodeOf(kind), kind, said);
    console_.error(said);
}

void CliReporter::markerShown(uint32_t start, uint32_t end) {
    console_.say(markerLabelText(start, end));
}

void CliReporter::selectionChanged() {
    // The window follows the chip it found; here the run stops and says so.
    if (console_.operationOpen()) console_.endOperation(OperationEnd::Failed);
    failure_.foundPart = st_.device.name;
    record(ExitCode::Chip, Fault::Declined,
           "the chip in the socket is " + std::string(st_.device.name) + ", not the part " + chosenPart_);
    console_.error(failure_.text);
}

void CliReporter::lockLevelChosen(int entry) {
    console_.detail("no lock level chosen: the strongest, entry " + std::to_string(entry) +
                    " of the lock list");
}

// The fuse bytes as the window's panel would give them back: filled from the bytes,
// then read back through the device's layout.
bool CliReporter::collectFuses() {
    if (skipFuses) return false;
    if (recompose(st_.device.index, st_.images, st_.fuse, adjustFuses) == ReadBack::Ok) return true;
    fail(ExitCode::Usage, "Incorrect ID number !");
    return false;
}

} // namespace kestro::cli
