#include "cli/produce.h"

#include "buffers/images.h"
#include "cli/crc32.h"
#include "cli/job.h"
#include "ops/chains.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro::cli {

namespace {

constexpr uint64_t kDecimalLimit = 100'000'000; // eight digits

bool number(std::string_view text, uint64_t& out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> fields(std::string_view text) {
    std::vector<std::string_view> parts;
    for (size_t from = 0;;) {
        const size_t colon = text.find(':', from);
        parts.push_back(text.substr(from, colon == std::string_view::npos ? colon : colon - from));
        if (colon == std::string_view::npos) return parts;
        from = colon + 1;
    }
}

const char* resultWord(ExitCode code) {
    if (code == ExitCode::Done) return "good";
    return code == ExitCode::Cancelled ? "cancelled" : "failed";
}

// A chip's steps, as the Process menu offers them for the part: identified where the
// part has Identify, erased when asked or where only Erase+Program programs it, verified
// where the part has Verify (the encoders check each block as they are programmed).
std::vector<StepRequest> produceSteps(const Session& session, const CliOptions& o) {
    const auto on = [&](ProcessCommand c) { return session.offers(c); };
    std::vector<StepRequest> steps;
    if (on(ProcessCommand::Identify)) steps.push_back({StepKind::Identify, {}});
    if (o.erase || !on(ProcessCommand::Program)) steps.push_back({StepKind::Erase, {}});
    steps.push_back({StepKind::Write, {}});
    if (on(ProcessCommand::Verify)) steps.push_back({StepKind::Verify, {}});
    if (o.secure) steps.push_back({StepKind::Lock, {}});
    return steps;
}

} // namespace

std::optional<SerialPlan> parseSerialPlan(std::string_view text, std::string& error) {
    const auto parts = fields(text);
    SerialPlan s;
    uint64_t address = 0;
    if (parts.size() > 4 || !number(parts[0], address) || address > 0xFFFFFFFFu) {
        error = "--serial wants ADDR[:START[:STEP[:FORMAT]]], not '" + std::string(text) + "'";
        return std::nullopt;
    }
    s.address = static_cast<uint32_t>(address);
    if (parts.size() > 1 && !number(parts[1], s.start)) {
        error = "--serial: START is a number, not '" + std::string(parts[1]) + "'";
        return std::nullopt;
    }
    if (parts.size() > 2 && (!number(parts[2], s.step) || s.step == 0)) {
        error = "--serial: STEP is a number from 1, not '" + std::string(parts[2]) + "'";
        return std::nullopt;
    }
    if (parts.size() > 3) {
        static constexpr std::pair<std::string_view, SerialFormat> kFormats[] = {
            {"le32", SerialFormat::Le32}, {"be32", SerialFormat::Be32},
            {"ascii", SerialFormat::Ascii}, {"bcd", SerialFormat::Bcd}};
        const auto it = std::find_if(std::begin(kFormats), std::end(kFormats),
                                     [&](const auto& f) { return f.first == parts[3]; });
        if (it == std::end(kFormats)) {
            error = "--serial: FORMAT is le32, be32, ascii or bcd, not '" + std::string(parts[3]) + "'";
            return std::nullopt;
        }
        s.format = it->second;
    }
    if (serialBytes(s.format, s.start).empty()) {
        error = "--serial: START does not fit the format";
        return std::nullopt;
    }
    return s;
}

std::vector<uint8_t> serialBytes(SerialFormat format, uint64_t value) {
    switch (format) {
    case SerialFormat::Le32:
    case SerialFormat::Be32: {
        if (value > 0xFFFFFFFFu) return {};
        std::vector<uint8_t> b(4);
        for (size_t i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
        if (format == SerialFormat::Be32) std::reverse(b.begin(), b.end());
        return b;
    }
    case SerialFormat::Ascii: {
        if (value >= kDecimalLimit) return {};
        char text[9];
        std::snprintf(text, sizeof text, "%08llu", static_cast<unsigned long long>(value));
        return {text, text + 8};
    }
    case SerialFormat::Bcd: {
        if (value >= kDecimalLimit) return {};
        std::vector<uint8_t> b(4);
        for (size_t i = 4; i-- > 0;) {
            const auto low = static_cast<uint8_t>(value % 10);
            value /= 10;
            b[i] = static_cast<uint8_t>(((value % 10) << 4) | low);
            value /= 10;
        }
        return b;
    }
    }
    return {};
}

namespace {

// The highest serial number of the journal's lines (time,serial,result,exit code,crc).
std::optional<uint64_t> highestSerial(std::string_view text) {
    std::optional<uint64_t> last;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const size_t a = line.find(',');
        if (a == std::string_view::npos) continue;
        const size_t b = line.find(',', a + 1);
        uint64_t serial = 0;
        if (number(line.substr(a + 1, b == std::string_view::npos ? b : b - a - 1), serial))
            last = last ? std::max(*last, serial) : serial;
    }
    return last;
}

// The journal opened for one record and locked against every other writer. Each record
// opens it anew: flock belongs to the open file, so other processes and other threads
// of this one wait alike. The lock goes with the descriptor.
class LockedJournal {
public:
    // Through a link the journal is written only where the file already is a journal
    // (or is empty): a stray link must not get records appended to an unrelated file.
    explicit LockedJournal(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644)) {
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        int r;
        do r = ::flock(fd_, LOCK_EX);
        while (r != 0 && errno == EINTR); // Ctrl+C while another holds it: the record still goes in
        if (r != 0) {
            fail(errno);
            return;
        }
        struct stat l {};
        std::string head;
        if (::lstat(path.c_str(), &l) == 0 && S_ISLNK(l.st_mode) && !empty() &&
            (!read(head) || !head.starts_with(kJournalHeaderStart)))
            fail(0, "a link to a file that is no journal");
    }
    ~LockedJournal() {
        if (fd_ >= 0) ::close(fd_);
    }
    LockedJournal(const LockedJournal&) = delete;
    LockedJournal& operator=(const LockedJournal&) = delete;

    bool ok() const { return fd_ >= 0; }
    std::string reason() const { return why_ ? why_ : std::strerror(error_); }

    // All that the journal holds now; false when it cannot be read.
    bool read(std::string& text) {
        text.clear();
        char buf[8192];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(fd_, buf, sizeof buf, at);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return fail(errno);
            if (n == 0) return true;
            text.append(buf, static_cast<size_t>(n));
            at += n;
        }
    }

    // One line in one write, synced to disk; a journal whose last line has no line end
    // (edited by hand, a disk that filled) gets one first. A partly written line is
    // taken back.
    bool append(const std::string& line) {
        struct stat s {};
        if (::fstat(fd_, &s) != 0) return fail(errno);
        std::string text = line + "\n";
        char last = '\n';
        if (s.st_size > 0 && ::pread(fd_, &last, 1, s.st_size - 1) == 1 && last != '\n') text.insert(0, 1, '\n');
        const ssize_t n = ::write(fd_, text.data(), text.size());
        if (n != static_cast<ssize_t>(text.size())) {
            const int error = n < 0 ? errno : ENOSPC; // a short write: the disk is full
            // Should taking it back fail too, the next record still starts on a line of
            // its own.
            if (n > 0) (void)!::ftruncate(fd_, s.st_size);
            return fail(error);
        }
        if (::fsync(fd_) != 0) return fail(errno); // on disk before the chip is programmed
        return true;
    }

    bool empty() {
        struct stat s {};
        return ::fstat(fd_, &s) == 0 && s.st_size == 0;
    }

    // Closes it, which also unlocks it; false when the close reported an error.
    bool close() {
        const int r = ::close(fd_);
        fd_ = -1;
        return r == 0 || fail(errno);
    }

private:
    bool fail(int error, const char* why = nullptr) {
        error_ = error;
        why_ = why;
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        return false;
    }

    int fd_;
    int error_ = 0;
    const char* why_ = nullptr;
};

bool failed(const LockedJournal& j, std::string* reason) {
    if (reason) *reason = j.reason();
    return false;
}

} // namespace

std::optional<uint64_t> lastJournalSerial(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return highestSerial(text);
}

bool appendJournalLine(const std::string& path, const std::string& line, std::string* reason) {
    LockedJournal j(path);
    return (j.ok() && j.append(line) && j.close()) || failed(j, reason);
}

bool startJournal(const std::string& path, std::string* reason) {
    LockedJournal j(path);
    return (j.ok() && (!j.empty() || j.append(std::string(kJournalHeader))) && j.close()) || failed(j, reason);
}

bool reserveSerial(const std::string& path, const SerialPlan& plan, uint64_t& serial, const std::string& time,
                   const std::string& adapter, std::string& reason) {
    reason.clear();
    LockedJournal j(path);
    std::string text;
    if (!j.ok() || !j.read(text)) return failed(j, &reason);
    if (const auto last = highestSerial(text); last && *last + plan.step > serial) serial = *last + plan.step;
    if (serialBytes(plan.format, serial).empty()) return false;
    return (j.append(time + "," + std::to_string(serial) + ",reserved,,," + adapter) && j.close()) || failed(j, &reason);
}

std::string isoTime(int64_t secondsSinceEpoch) {
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

JsonObject ProduceTotals::json() const {
    JsonObject o;
    o.num("good", good).num("failed", failed);
    if (firstSerial) o.num("first_serial", static_cast<int64_t>(*firstSerial));
    else o.null("first_serial");
    if (lastSerial) o.num("last_serial", static_cast<int64_t>(*lastSerial));
    else o.null("last_serial");
    return o;
}

ExitCode runProduce(Job& job, const CliOptions& o, ProduceTotals& totals, ChipGate* gate, SocketEnd* end) {
    Console& console = job.console();
    CliEnv& env = console.env();
    std::optional<SerialPlan> serial;
    if (o.serial) {
        std::string error;
        serial = parseSerialPlan(*o.serial, error);
        if (!serial) {
            console.error(error);
            return ExitCode::Usage;
        }
    }
    if (const ExitCode code = job.prepare(); code != ExitCode::Done) return code;
    State& st = job.state();
    const std::string& file = o.steps.front().file;
    job.reporter().beginStep();
    if (!job.loadFile(file)) return ExitCode::File;
    const auto pristine = std::make_unique<Images>(st.images);

    uint64_t next = serial ? serial->start : 0;
    if (serial) {
        const ActiveImage a = activeImage(st.images, st.device);
        if (static_cast<uint64_t>(serial->address) + serialBytes(serial->format, next).size() > a.size) {
            console.error("--serial: the address lies outside the " + job.partName() + "'s memory");
            return ExitCode::Usage;
        }
        // The serial number is programmed wherever it lies, --range file or not.
        job.coverAlso(serial->address,
                      serial->address + static_cast<uint32_t>(serialBytes(serial->format, next).size()) - 1);
        if (o.journal) {
            if (const auto last = lastJournalSerial(*o.journal); last && *last + serial->step > next) {
                next = *last + serial->step;
                console.say("serial numbers go on at " + std::to_string(next) + " after the journal");
            }
        }
    }
    std::string reason;
    const auto journalFailed = [&] { console.error("Can't Save File! (" + *o.journal + ": " + reason + ")"); };
    if (o.journal && !startJournal(*o.journal, &reason)) {
        journalFailed();
        return ExitCode::File;
    }
    // The chip's serial number into the image: reserved in the journal, under its lock,
    // so that no other run sharing it takes the same one.
    const auto takeSerial = [&](uint64_t& number) {
        number = next;
        if (o.journal && !reserveSerial(*o.journal, *serial, number, isoTime(env.wallClockSeconds()), job.portLabel(), reason) &&
            !reason.empty()) {
            journalFailed();
            return ExitCode::File;
        }
        const std::vector<uint8_t> bytes = serialBytes(serial->format, number);
        if (bytes.empty()) {
            console.error("--serial: " + std::to_string(number) + " does not fit the format");
            return ExitCode::Usage;
        }
        std::copy(bytes.begin(), bytes.end(), activeImage(st.images, st.device).bytes + serial->address);
        next = number + serial->step;
        return ExitCode::Done;
    };

    // Without a terminal the answer is not echoed: the prompt ends its own line.
    const std::string promptEnd = env.stdinTerminal ? " " : "\n";
    const bool prompt = !gate && (env.stdinTerminal || !o.count);
    ExitCode last = ExitCode::Done;
    if (!job.session().offers(ProcessCommand::Program))
        console.say("the " + job.partName() + " is programmed as Erase+Program: each chip is erased first");
    for (uint32_t chip = 1; gate || !o.count || chip <= *o.count; ++chip) {
        if (gate) {
            const std::optional<uint32_t> number = gate->next();
            if (!number) break;
            chip = *number;
        } else if (prompt) {
            env.writeErr("Chip " + std::to_string(chip) + ": put it in the socket and press Enter (q to stop)" +
                         promptEnd);
            std::string line;
            if (!env.readLine(line) || line == "q" || line == "Q") break;
        }
        st.images = *pristine;
        std::optional<uint64_t> number;
        uint32_t crc = job.coveredCrc();
        const uint64_t started = env.nowMs();

        ExitCode code = ExitCode::Done;
        bool abandoned = false; // no serial number to be had: no chip after this one
        for (const StepRequest& s : produceSteps(job.session(), o)) {
            if (job.reporter().interrupted()) { // Ctrl+C between steps: the chip is not finished
                console.error(std::string("cancelled before ") + std::string(stepEntry(s.kind).name));
                code = ExitCode::Cancelled;
                break;
            }
            // After identification: a chip it refuses takes no serial number.
            if (serial && !number && s.kind != StepKind::Identify) {
                number.emplace();
                if (const ExitCode taken = takeSerial(*number); taken != ExitCode::Done) {
                    last = taken;
                    abandoned = true;
                    break;
                }
                crc = job.coveredCrc();
            }
            StepResult r;
            code = job.runStep(s, r);
            if (code != ExitCode::Done) break;
        }
        job.restorePart(); // identification may have followed another chip
        if (abandoned) break;

        const std::string serialText = number ? std::to_string(*number) : "";
        if (o.journal &&
            !appendJournalLine(*o.journal, isoTime(env.wallClockSeconds()) + "," + serialText + "," +
                                               resultWord(code) + "," + std::to_string(exitNumber(code)) +
                                               "," + crcText(crc) + "," + job.portLabel(), &reason)) {
            journalFailed();
            last = ExitCode::File;
            break;
        }
        if (number) {
            if (!totals.firstSerial) totals.firstSerial = number;
            totals.lastSerial = number;
        }
        code == ExitCode::Done ? ++totals.good : ++totals.failed;
        JsonObject chipJson;
        chipJson.num("number", chip);
        if (number) chipJson.num("serial", static_cast<int64_t>(*number));
        else chipJson.null("serial");
        chipJson.boolean("ok", code == ExitCode::Done).num("exit_code", exitNumber(code))
            .str("crc32", crcText(crc)).real("seconds", static_cast<double>(env.nowMs() - started) / 1000.0);
        console.event("chip", chipJson);
        console.say("chip " + std::to_string(chip) + (number ? " (serial " + serialText + ")" : "") + ": " +
                    (code == ExitCode::Done ? "good"
                                            : std::string("failed, exit ") + std::to_string(exitNumber(code)) +
                                                  " (" + std::string(exitCodeEntry(code).name) + ")"));
        if (code != ExitCode::Done) last = code;
        // A chip that failed leaves the adapter as it was; one that stopped answering, or
        // whose port went, does not: with others at work this socket stops alone.
        if (gate && (code == ExitCode::Adapter || code == ExitCode::Port)) {
            if (end) *end = {true, job.reporter().failure().text};
            console.error("adapter lost (" + job.reporter().failure().text + "): this socket stops");
            break;
        }
        // A chip finished while Ctrl+C came is good; the run stops after it.
        if (code == ExitCode::Cancelled || job.reporter().interrupted()) {
            last = ExitCode::Cancelled;
            break;
        }
    }
    if (!gate) // a gang sums its sockets up itself
        console.say("produced " + std::to_string(totals.good + totals.failed) + " chips: " +
                std::to_string(totals.good) + " good, " + std::to_string(totals.failed) + " failed" +
                (totals.firstSerial ? ", serials " + std::to_string(*totals.firstSerial) + " to " +
                                          std::to_string(*totals.lastSerial)
                                    : ""));
    return last;
}

} // namespace kestro::cli
