// --range file: the steps move only the ranges of the chip that hold the file's data.

#include "cli/crc32.h"
#include "cli/job.h"

#include "buffers/file_commands.h"
#include "buffers/images.h"
#include "devices/selection_rules.h"
#include "view/marker.h"

#include <cmath>
#include <cstdio>

namespace kestro::cli {

namespace {

std::string sizeText(uint64_t bytes) {
    char text[32];
    if (bytes >= 1024 && bytes % 1024 == 0) std::snprintf(text, sizeof text, "%llu KiB", static_cast<unsigned long long>(bytes / 1024));
    else if (bytes >= 1024) std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024.0);
    else std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    return text;
}

std::string durationText(double ms) {
    const auto s = static_cast<long>(std::lround(ms / 1000.0));
    if (s < 60) return std::to_string(s) + " s";
    char text[32];
    std::snprintf(text, sizeof text, "%ld min %02ld s", s / 60, s % 60);
    return text;
}

uint64_t totalBytes(const std::vector<ChipRange>& ranges) {
    uint64_t n = 0;
    for (const ChipRange& r : ranges) n += r.bytes();
    return n;
}

bool takesFile(StepKind k) {
    return k == StepKind::Write || k == StepKind::Verify || k == StepKind::Program || k == StepKind::Produce;
}

} // namespace

std::vector<RangeOp> Job::rangeOps() const {
    std::vector<RangeOp> ops;
    const auto add = [&](RangeOp op) {
        if (std::find(ops.begin(), ops.end(), op) == ops.end()) ops.push_back(op);
    };
    for (const StepRequest& s : o_.steps) {
        if (s.kind == StepKind::Write) add(RangeOp::Program);
        if (s.kind == StepKind::Verify) add(RangeOp::Verify);
        if (s.kind == StepKind::BlankCheck) add(RangeOp::CheckErase);
        if (s.kind == StepKind::Program || s.kind == StepKind::Produce) {
            add(RangeOp::Program);
            if (o_.verify || s.kind == StepKind::Produce) add(RangeOp::Verify);
        }
    }
    return ops;
}

// The file the extents come from: that of the first step that takes one. A read has
// none to give.
ExitCode Job::planFileRanges() {
    const StepRequest* source = nullptr;
    for (const StepRequest& s : o_.steps) {
        if (!source && takesFile(s.kind) && !s.file.empty()) source = &s;
    }
    if (!source) return usage("--range file: no step names a file to take the ranges from");
    auto scratch = std::make_unique<Images>(st_->images);
    LoadReport report;
    // A file that does not load is told by its step, which loads it again.
    if (!loadImageFile(source->file, *scratch, st_->device, &report).ok) return ExitCode::Done;
    const ActiveImage a = activeImage(*scratch, st_->device);
    fileExtents_ = kestro::fileExtents(report, {a.bytes, a.size});
    planRanges();
    return ExitCode::Done;
}

void Job::coverAlso(uint32_t first, uint32_t last) {
    if (fileRanges_.empty()) return;
    fileExtents_.push_back({first, last});
    LoadReport joined; // sorted and joined as the loader's extents are
    joined.kind = LoadReport::Hex;
    for (const ChipRange& e : fileExtents_) joined.placed.push_back({ImageArea::Program, e.first, e.last});
    fileExtents_ = kestro::fileExtents(joined, {});
    if (transferRanges(fileExtents_, st_->device.dataSize, rangeOps()) != fileRanges_) planRanges();
}

void Job::planRanges() {
    const uint32_t size = st_->device.dataSize;
    fileRanges_ = transferRanges(fileExtents_, size, rangeOps());
    if (fileRanges_.empty()) return;
    std::string text = "range";
    for (size_t i = 0; i < fileRanges_.size(); ++i)
        text += (i ? ", " : " ") + addressText(fileRanges_[i].first) + "-" + addressText(fileRanges_[i].last);
    const uint64_t covered = totalBytes(fileRanges_);
    text += covered == size ? ": the whole chip, as the file fills it"
                            : ": the file's data, " + sizeText(covered) + " of " + sizeText(size);
    console_.say(text);
    console_.event("ranges", JsonObject().raw("ranges", rangesJson(fileRanges_)).raw("extents", rangesJson(fileExtents_)));
}

void Job::overRanges(const std::function<void()>& op) {
    State& st = *st_;
    const bool whole = fileRanges_.size() == 1 && fileRanges_.front().bytes() == st.device.dataSize;
    if (fileRanges_.empty() || whole) return op(); // the whole chip, as without the option
    for (const ChipRange& r : fileRanges_) {
        st.marker = {r.first, r.last, true, r.first, r.last};
        op();
        if (reporter_.failed() || st.ops.stopTaken) break;
    }
    st.marker = {};
}

uint32_t Job::coveredCrc(uint32_t* bytes) {
    State& st = *st_;
    if (fileRanges_.empty()) {
        const std::span<const uint8_t> all = coveredBytes(st);
        if (bytes) *bytes = static_cast<uint32_t>(all.size());
        return crc32(all);
    }
    const ActiveImage a = activeImage(st.images, st.device);
    uint32_t crc = 0, n = 0;
    for (const ChipRange& r : fileRanges_) {
        const uint32_t end = std::min(r.last + 1, a.size);
        if (end <= r.first) continue;
        crc = crc32({a.bytes + r.first, end - r.first}, crc);
        n += end - r.first;
    }
    if (bytes) *bytes = n;
    return crc;
}

// A write that would move the whole chip for a file that fills a small part of it is
// told what --range file would take instead; nothing changes unless asked.
void Job::suggestFileRange(const std::string& path, const LoadReport& report) {
    constexpr uint32_t kLargeChip = 32 * 1024;
    State& st = *st_;
    if (o_.range || !markerAreaAvailable(st.device.index) || st.device.dataSize < kLargeChip) return;
    const ActiveImage a = activeImage(st.images, st.device);
    const std::vector<ChipRange> extents = kestro::fileExtents(report, {a.bytes, a.size});
    const uint64_t data = totalBytes(extents);
    if (extents.empty() || data * 4 > st.device.dataSize) return;
    const std::vector<RangeOp> ops = rangeOps();
    const std::vector<ChipRange> ranges = transferRanges(extents, st.device.dataSize, ops);
    console_.say(path + " holds " + sizeText(data) + " of the " + sizeText(st.device.dataSize) +
                 ": with --range file this run would take about " + durationText(transferMs(ranges, a.size, ops)) +
                 " on the line instead of " + durationText(transferMs({}, a.size, ops)));
}

std::string rangesJson(const std::vector<ChipRange>& ranges) {
    JsonArray a;
    for (const ChipRange& r : ranges) a.raw(JsonArray().num(r.first).num(r.last).text());
    return a.text();
}

} // namespace kestro::cli
