#include "cli/gang.h"

#include "cli/job.h"
#include "cli/produce.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kestro::cli {

namespace {

// A member of a flat JSON line: a string's text (simple escapes dropped) or a number.
std::optional<std::string> member(std::string_view line, std::string_view key) {
    const std::string tag = "\"" + std::string(key) + "\":";
    const size_t at = line.find(tag);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view v = line.substr(at + tag.size());
    if (!v.empty() && v[0] == '"') {
        std::string text;
        for (size_t i = 1; i < v.size() && v[i] != '"'; ++i) {
            if (v[i] == '\\' && i + 1 < v.size()) ++i;
            text += v[i];
        }
        return text;
    }
    return std::string(v.substr(0, v.find_first_of(",}")));
}

// What one socket shows on its status line.
struct SocketStatus {
    std::string port;
    uint32_t chips = 0, good = 0, failed = 0;
    std::string step = "starting";  // the operation on show, "idle" between chips
    int percent = -1;
    std::string last = "-";
};

// The one way out for every socket: a line or an event at a time, and on a terminal one
// status line per socket below the lines said.
class GangOutput {
public:
    GangOutput(CliEnv& env, Console& log, bool statusLines, const std::vector<std::string>& ports)
        : env_(env), log_(log), statusLines_(statusLines) {
        for (const std::string& p : ports) rows_.push_back({p});
    }

    bool statusLines() const { return statusLines_; }

    void line(size_t socket, std::string_view text) {
        std::lock_guard lock(mutex_);
        clearRows();
        const std::string said = rows_[socket].port + ": " + std::string(text);
        env_.writeErr(said + "\n");
        log_.logOnly(said);
        drawRows();
    }

    void event(size_t socket, std::string_view json) {
        std::lock_guard lock(mutex_);
        if (!statusLines_) { // the event as it is, with the adapter it came from
            env_.writeOut("{\"adapter\":" + jsonQuoted(rows_[socket].port) + "," + std::string(json.substr(1)));
            return;
        }
        SocketStatus& s = rows_[socket];
        const std::string name = member(json, "event").value_or("");
        if (name == "operation") {
            s.step = member(json, "text").value_or("");
            s.percent = member(json, "mode").value_or("") == "progress" ? 0 : -1;
        } else if (name == "progress") {
            const double done = std::stod(member(json, "done").value_or("0"));
            const double total = std::stod(member(json, "total").value_or("0"));
            s.percent = total > 0 ? static_cast<int>(100 * done / total) : 0;
        } else if (name == "operation_end") {
            s.step = "-";
            s.percent = -1;
        } else if (name == "chip") {
            const bool ok = member(json, "ok").value_or("") == "true";
            ++s.chips;
            ok ? ++s.good : ++s.failed;
            const std::string serial = member(json, "serial").value_or("null");
            s.last = "chip " + member(json, "number").value_or("?") + (serial == "null" ? "" : " #" + serial) +
                     (ok ? " good" : " failed, exit " + member(json, "exit_code").value_or("?"));
            s.step = "idle";
        } else {
            return;
        }
        clearRows();
        drawRows();
    }

    // The status lines go; what follows is said below the last line said.
    void finish() {
        std::lock_guard lock(mutex_);
        clearRows();
        statusLines_ = false;
    }

private:
    void clearRows() {
        if (!statusLines_ || drawn_ == 0) return;
        env_.writeErr("\x1b[" + std::to_string(drawn_) + "A\r\x1b[J");
        drawn_ = 0;
    }
    void drawRows() {
        if (!statusLines_) return;
        std::string text;
        for (const SocketStatus& s : rows_) {
            // The step last: a narrow terminal cuts it first.
            char row[256];
            const std::string percent = s.percent < 0 ? "" : std::to_string(s.percent) + "% ";
            std::snprintf(row, sizeof row, "%-6s %3u chips, %u failed  last: %-22s %s%s", s.port.c_str(), s.chips,
                          s.failed, s.last.c_str(), percent.c_str(), s.step.c_str());
            std::string r = row;
            if (r.size() >= static_cast<size_t>(env_.terminalColumns)) r.resize(static_cast<size_t>(env_.terminalColumns) - 1);
            text += r + "\n";
        }
        env_.writeErr(text);
        drawn_ = rows_.size();
    }

    CliEnv& env_;
    Console& log_;
    bool statusLines_;
    std::mutex mutex_;
    std::vector<SocketStatus> rows_;
    size_t drawn_ = 0;
};

// One socket's machine: the clock, Ctrl+C and the ports of the whole program, its own
// streams, which go out through the gang's output.
class SocketEnv : public CliEnv {
public:
    SocketEnv(CliEnv& parent, GangOutput& out, size_t socket) : parent_(parent), out_(out), socket_(socket) {
        noColor = true;
        terminalColumns = parent.terminalColumns;
    }
    ~SocketEnv() override {
        if (!err_.empty()) out_.line(socket_, err_);
    }

    void writeOut(std::string_view text) override {
        for (out_buf_ += text; out_buf_.find('\n') != std::string::npos;) {
            const size_t end = out_buf_.find('\n');
            const std::string line = out_buf_.substr(0, end + 1);
            out_buf_.erase(0, end + 1);
            if (line.starts_with("{")) out_.event(socket_, line);
        }
    }
    void writeErr(std::string_view text) override {
        for (err_ += text; err_.find('\n') != std::string::npos;) {
            const size_t end = err_.find('\n');
            if (end > 0) out_.line(socket_, err_.substr(0, end));
            err_.erase(0, end + 1);
        }
    }
    bool readLine(std::string&) override { return false; } // the gang takes stdin
    uint64_t nowMs() override { return parent_.nowMs(); }
    void sleepMs(int ms) override { parent_.sleepMs(ms); }
    int64_t wallClockSeconds() override { return parent_.wallClockSeconds(); }
    int interrupts() override { return parent_.interrupts(); }
    void exitAtOnce(int code) override { parent_.exitAtOnce(code); }
    std::unique_ptr<SerialPort> makeSerialPort() override { return parent_.makeSerialPortFor(*this); }
    bool simulatorBehind(const std::string& portName) override { return parent_.simulatorBehind(portName); }
    std::unique_ptr<SerialPort> simulatorPort(AdapterSim&, bool, std::string&, std::string& error) override {
        error = "no simulator in a gang";
        return nullptr;
    }

private:
    CliEnv& parent_;
    GangOutput& out_;
    size_t socket_;
    std::string out_buf_, err_;
};

// The chips across the sockets: Enter starts one on every idle socket, --count ends
// the run once that many have started, q or the end of stdin after the chips in hand.
class GangGate : public ChipGate {
public:
    GangGate(CliEnv& env, std::optional<uint32_t> count, bool prompt) : env_(env), count_(count), prompt_(prompt) {}

    std::optional<uint32_t> next() override {
        std::unique_lock lock(mutex_);
        if (prompt_) {
            const uint64_t seen = generation_;
            woken_.wait(lock, [&] { return generation_ > seen || stopped_; });
        }
        if (stopped_ || env_.interrupts() > 0 || (count_ && taken_ >= *count_)) return std::nullopt;
        return ++taken_;
    }
    void go() {
        std::lock_guard lock(mutex_);
        ++generation_;
        woken_.notify_all();
    }
    void stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        woken_.notify_all();
    }
    bool countReached() {
        std::lock_guard lock(mutex_);
        return count_ && taken_ >= *count_;
    }

private:
    CliEnv& env_;
    std::optional<uint32_t> count_;
    bool prompt_;
    std::mutex mutex_;
    std::condition_variable woken_;
    uint64_t generation_ = 0;
    uint32_t taken_ = 0;
    bool stopped_ = false;
};

struct SocketRun {
    std::string port;
    ExitCode code = ExitCode::Done;
    ProduceTotals totals;
    SocketEnd end;
};

std::string serialsText(const ProduceTotals& t) {
    return t.firstSerial ? ", serials " + std::to_string(*t.firstSerial) + " to " + std::to_string(*t.lastSerial) : "";
}

} // namespace

ExitCode runGang(CliEnv& env, const CliOptions& o, Console& console, JsonObject& summary) {
    const bool statusLines = env.stderrTerminal && !env.dumbTerminal && !o.quiet && o.progress == ProgressMode::Auto;
    GangOutput out(env, console, statusLines, o.ports);
    const bool prompt = env.stdinTerminal || !o.count;
    GangGate gate(env, o.count, prompt);
    std::vector<SocketRun> runs(o.ports.size());
    // Said before the sockets start: from then on only they and the gang's output write.
    if (prompt) console.say("Enter starts a chip on every idle socket; q stops after the chips in hand");

    std::vector<std::thread> sockets;
    for (size_t i = 0; i < o.ports.size(); ++i) {
        runs[i].port = o.ports[i];
        sockets.emplace_back([&, i] {
            CliOptions mine = o;
            mine.port = o.ports[i];
            mine.ports = {o.ports[i]};
            mine.logFile.reset(); // one log, the gang's: each line with its adapter
            // On a terminal the status line is drawn from the socket's events.
            if (statusLines) mine.progress = ProgressMode::Json;
            else if (o.progress == ProgressMode::Auto) mine.progress = ProgressMode::Plain;
            SocketEnv socketEnv(env, out, i);
            Console socketConsole(socketEnv, mine);
            Job job(socketEnv, mine, socketConsole);
            SocketRun& r = runs[i];
            r.code = runProduce(job, mine, r.totals, &gate, &r.end);
            if (r.code == ExitCode::Port) r.end.lost = true;
            if (r.end.lost && r.end.why.empty()) r.end.why = socketConsole.firstError();
            job.close();
        });
    }
    if (prompt) {
        // A stdin that ends, q or Ctrl+C: no more chips.
        for (std::string line; !gate.countReached();) {
            if (!env.readLine(line) || line == "q" || line == "Q") break;
            gate.go();
        }
        gate.stop();
    }
    for (std::thread& t : sockets) t.join();
    out.finish();

    ExitCode worst = ExitCode::Done;
    uint32_t good = 0, failed = 0;
    JsonArray adapters;
    for (const SocketRun& r : runs) {
        const ProduceTotals& t = r.totals;
        good += t.good;
        failed += t.failed;
        if (exitNumber(r.code) > exitNumber(worst)) worst = r.code;
        std::string text = r.port + ": " + std::to_string(t.good + t.failed) + " chips, " + std::to_string(t.good) +
                           " good, " + std::to_string(t.failed) + " failed" + serialsText(t) + ", exit " +
                           std::to_string(exitNumber(r.code));
        if (r.end.lost) text += "; adapter lost: " + r.end.why;
        console.say(text);
        JsonObject a = t.json();
        a.str("adapter", r.port).num("chips", t.good + t.failed).num("exit_code", exitNumber(r.code))
            .boolean("lost", r.end.lost);
        adapters.raw(a.text());
    }
    console.say("produced " + std::to_string(good + failed) + " chips on " + std::to_string(runs.size()) +
                " adapters: " + std::to_string(good) + " good, " + std::to_string(failed) + " failed");
    summary.num("good", good).num("failed", failed).raw("adapters", adapters.text());
    return worst;
}

} // namespace kestro::cli
