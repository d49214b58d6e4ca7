// The steps of a run: each one the Process menu's chain or one of its operations,
// with the files loaded as Open loads them and saved as Save saves them.

#include "cli/crc32.h"
#include "cli/image_diff.h"
#include "cli/job.h"

#include "buffers/atomic_file.h"
#include "buffers/binary_file.h"
#include "buffers/file_export.h"
#include "buffers/images.h"
#include "devices/traits.h"
#include "hwtest/pin_pattern.h"
#include "link/link.h"
#include "ops/chains.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kestro::cli {

namespace {

constexpr std::string_view kNoFuseSource =
    "neither the file nor --fuse, --config or --lock nor a read-fuses before gave fuse bytes";

} // namespace

void Job::fillCrc(StepResult& result, const char* what) {
    result.crcOf = what;
    result.crc = coveredCrc(&result.bytes);
}

bool Job::fusesGiven() const {
    return st_->images.fusesLoaded || fusesRead_ || !o_.fuses.empty() || o_.config || o_.lock;
}

void Job::readFusesOut(StepResult& result) {
    const Images& img = st_->images;
    const bool pic18 = picCoreOf(st_->device.index) == PicCore::Pic18;
    result.fuses = "configuration " + hexBytes(img.configBlock.data(), pic18 ? 14 : 2) + ", id " +
                   hexBytes(img.idBlock.data(), pic18 ? 8 : 2);
    console_.data("fuses: " + result.fuses);
    if (result.request.file.empty()) return;
    // The two bytes of a .fus side file: configuration byte 1, then byte 0.
    AtomicFile f;
    const uint8_t pair[2] = {img.configBlock[1], img.configBlock[0]};
    bool ok = f.create(result.request.file, linkTargetIsFuseFile);
    if (ok) {
        f.write(pair, 2);
        ok = f.commit();
    }
    if (!ok) reporter_.fail(ExitCode::File, std::string(kCantSave) + " (" + result.request.file + ": " + f.reason() + ")");
    else result.savedPath = result.request.file;
}

ExitCode Job::runStep(const StepRequest& request, StepResult& result) {
    State& st = *st_;
    Session& session = *session_;
    result.request = request;
    reporter_.beginStep();
    st.ops.stopTaken = false;
    const uint64_t started = env_.nowMs();
    const StepEntry& desc = stepEntry(request.kind);
    console_.detail(std::string("step ") + std::string(desc.name) +
                    (request.file.empty() ? "" : " " + request.file));
    console_.event("step", JsonObject().str("step", desc.name).path("file", request.file));

    switch (request.kind) {
    case StepKind::Identify:
        session.run(ProcessCommand::Identify);
        if (!reporter_.failed() && reporter_.unknownDeviceShown())
            reporter_.fail(ExitCode::Chip, std::string(kUnknownDeviceText) + " (no known chip answered)");
        break;
    case StepKind::Read: {
        session.run(ProcessCommand::Read);
        if (reporter_.failed() || st.ops.stopTaken) break;
        // A file that keeps both memories gets the data memory as well, read as the
        // window reads it in its data view.
        const bool both = st.images.view == ProgramView && bothMemories(st.device) && !st.marker.set;
        if (both && exportKeepsDataMemory(request.file, st.device) &&
            !session.run(MemoryChain::ReadDataMemory))
            break;
        fillCrc(result, "read");
        const bool saved = saveFile(request.file, result.savedPath);
        if (saved && both && !exportKeepsDataMemory(request.file, st.device))
            console_.say(request.file + " holds the program memory; --data reads the data memory "
                         "into a file of its own");
        break;
    }
    case StepKind::Write: {
        if (!request.file.empty() && !loadFile(request.file)) break;
        fillCrc(result, "written");
        overRanges([&] { session.run(MemoryChain::Program); });
        break;
    }
    case StepKind::Verify:
        if (!request.file.empty() && !loadFile(request.file)) break;
        fillCrc(result, "verified");
        overRanges([&] { session.run(ProcessCommand::Verify); });
        if (reporter_.failure().fault == Fault::ContentDiffers && o_.diffFile) diffAfterVerify(result);
        break;
    case StepKind::Erase: session.run(ProcessCommand::Erase); break;
    case StepKind::BlankCheck: overRanges([&] { session.run(ProcessCommand::CheckErase); }); break;
    case StepKind::Lock:
        if (applyFuseOptions()) session.run(ProcessCommand::ProgramSecurity);
        break;
    case StepKind::ReadFuses:
        session.run(ProcessCommand::ReadFuse);
        if (!reporter_.failed() && !st.ops.stopTaken) {
            fusesRead_ = true;
            readFusesOut(result);
        }
        break;
    case StepKind::WriteFuses:
        if (!fusesGiven()) {
            reporter_.fail(ExitCode::Usage, "write-fuses: nothing to write: " + std::string(kNoFuseSource));
            break;
        }
        if (applyFuseOptions()) session.run(ProcessCommand::ProgramFuse);
        break;
    case StepKind::Hwtest: hardwareTest(); break;
    case StepKind::Program: {
        if (!loadFile(request.file) || !applyFuseOptions()) break;
        fillCrc(result, "written");
        // Fuses nobody gave are left as the chip has them.
        if (session.offers(ProcessCommand::ProgramFuse) && !fusesGiven()) {
            result.fusesSkipped = std::string(kNoFuseSource);
            console_.say("fuses not programmed: " + result.fusesSkipped);
            reporter_.skipFuses = true;
        }
        overRanges([&] { session.run(*session.programmingChain()); });
        reporter_.skipFuses = false;
        break;
    }
    default: reporter_.fail(ExitCode::Internal, "not a step of a run"); break;
    }

    result.code = reporter_.failure().code;
    if (result.code == ExitCode::Done && st.ops.stopTaken) {
        // Stopped before a command went out or between blocks: the step did not complete.
        result.code = ExitCode::Cancelled;
        console_.error("cancelled: " + std::string(desc.name) + " did not complete");
    } else if (result.code == ExitCode::Done && reporter_.interrupted()) {
        // Ctrl+C while nothing could stop: the step completed, the run stops after it.
        result.stopsRun = true;
        console_.error(std::string("cancelled: the run stops after ") + std::string(desc.name) +
                       ", which completed");
    }
    result.seconds = static_cast<double>(env_.nowMs() - started) / 1000.0;
    JsonObject end;
    end.str("step", desc.name).boolean("ok", result.code == ExitCode::Done)
        .num("exit_code", exitNumber(result.code)).real("seconds", result.seconds);
    if (!result.crcOf.empty()) end.str("crc32_" + result.crcOf, crcText(result.crc)).num("bytes", result.bytes);
    if (!result.savedPath.empty()) end.path("saved", result.savedPath);
    if (!result.fuses.empty()) end.str("fuses", result.fuses);
    if (!result.fusesSkipped.empty()) end.str("fuses_skipped", result.fusesSkipped);
    if (!result.diff.empty()) end.raw("diff", result.diff);
    if (const StepFailure& f = reporter_.failure(); f.erasePackets > 0)
        end.raw("partly_erased", JsonObject().num("sent", f.erasePacketsSent).num("packets", f.erasePackets).text());
    console_.event("step_end", end);
    return result.code;
}

namespace {

// An item of a list by its text, any case; -1 when none.
template <class Items> int itemIndex(const Items& items, std::string_view text) {
    for (size_t i = 0; i < std::size(items); ++i) {
        const std::string_view item = items[i];
        if (item.size() == text.size() &&
            std::equal(item.begin(), item.end(), text.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return static_cast<int>(i);
    }
    return -1;
}

// "P0.3,P2.7": the port lines driven high.
bool parsePortLines(std::string_view list, std::array<uint8_t, 3>& ports) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view line = list.substr(0, comma);
        if (line.size() != 4 || (line[0] != 'P' && line[0] != 'p') || line[1] < '0' || line[1] > '2' ||
            line[2] != '.' || line[3] < '0' || line[3] > '7')
            return false;
        ports[static_cast<size_t>(line[1] - '0')] |= static_cast<uint8_t>(1u << (line[3] - '0'));
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    }
    return true;
}

} // namespace

// The test panel's Send from the command line: the pattern stays on the pins until
// Enter (or the end of the input), then the stop byte releases them.
void Job::hardwareTest() {
    State& st = *st_;
    std::array<uint8_t, 3> ports{};
    if (!parsePortLines(o_.testPorts, ports)) {
        reporter_.fail(ExitCode::Usage, "--ports wants lines such as P0.3,P2.7, not '" + o_.testPorts + "'");
        return;
    }
    const std::string_view vppText = o_.testVpp;
    const size_t at = vppText.find('@');
    const int vpp = itemIndex(kVppLevelItems, vppText.substr(0, at));
    const auto pins = vppPinItems(st.adapter.socketVariant);
    int pin = 0;
    if (at != std::string_view::npos) {
        const std::string_view p = vppText.substr(at + 1);
        pin = p.size() == 1 && p[0] >= '0' && p[0] < '0' + static_cast<int>(pins.size()) ? p[0] - '0' : -1;
    }
    const int vce = itemIndex(kVceLevelItems, o_.testVce);
    if (vpp < 0 || pin < 0 || vce < 0) {
        reporter_.fail(ExitCode::Usage, "--vpp wants 5V, 12V, 21V or 25V and a pin from 0 to " +
                                            std::to_string(pins.size() - 1) + ", --vce 5V or 6V");
        return;
    }
    st.hwTest.mode = true;
    if (session_->sendTestPattern(ports, driveBytes(st.adapter.socketVariant, pin, vpp, vce))) {
        console_.say("pins: " +
                     describeTestPattern(std::span<const uint8_t, 6>(st.link.packet.data() + kPosStart0, 6),
                                         st.adapter.socketVariant) +
                     "; Enter releases them");
        std::string line;
        env_.readLine(line);
    }
    session_->releaseTestPattern();
    st.hwTest.mode = false;
}

void Job::diffAfterVerify(StepResult& result) {
    State& st = *st_;
    const std::string& file = *o_.diffFile;
    // The protocol stopped at the first differing block: read the whole chip back and
    // hold it against what it should contain.
    auto other = std::make_unique<Images>(st.images);
    const StepFailure verifyFailure = reporter_.failure();
    reporter_.beginStep();
    if (session_->run(MemoryChain::Read)) {
        const std::span<const uint8_t> covered = coveredBytes(st);
        const std::vector<uint8_t> chip(covered.begin(), covered.end());
        std::swap(st.images, *other); // the image again
        const uint32_t base = st.marker.set ? st.marker.start : 0;
        const ImageDiff d = diffImages(coveredBytes(st), chip, base, session_->transferImage().mask);
        std::swap(st.images, *other); // the chip, to be saved
        std::string written;
        if (saveFile(file, written)) {
            console_.data("diff: " + std::to_string(d.bytes) + " bytes differ in " +
                          std::to_string(d.ranges.size()) + " ranges; the chip is in " + written);
            JsonArray ranges;
            for (const AddressRange& r : d.ranges) {
                console_.data("  " + addressText(r.first) + " - " + addressText(r.last));
                ranges.raw(JsonArray().num(r.first).num(r.last).text());
            }
            result.diff = JsonObject().str("file", written).num("bytes", d.bytes)
                              .raw("ranges", ranges.text()).text();
        }
    }
    std::swap(st.images, *other); // the image as it was before the read
    if (reporter_.failed()) console_.error("--diff: the chip could not be read back");
    // The step ends with what verify found.
    reporter_.restoreFailure(verifyFailure);
}

} // namespace kestro::cli
