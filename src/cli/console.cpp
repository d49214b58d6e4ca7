#include "cli/console.h"

#include "buffers/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace kestro::cli {

namespace {

constexpr const char* kRed = "1;31";
constexpr uint32_t kWhiteRgb = 0xFFFFFF;
constexpr uint64_t kBarRedrawMs = 50;
constexpr uint64_t kJsonTickMs = 100; // at most ten progress lines a second

std::string rate(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1024.0) std::snprintf(text, sizeof text, "%.1f KiB/s", bytesPerSecond / 1024.0);
    else std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
    return text;
}

std::string clock(double seconds) {
    const long s = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

} // namespace

Style styleFor(const CliOptions& o, bool stderrTerminal) {
    switch (o.progress) {
    case ProgressMode::Json: return Style::Json;
    case ProgressMode::None: return Style::None;
    default: break;
    }
    if (o.quiet) return Style::None;
    if (o.progress == ProgressMode::Bar) return Style::Bar;
    if (o.progress == ProgressMode::Plain) return Style::Plain;
    return stderrTerminal ? Style::Bar : Style::Plain;
}

std::string progressLine(std::string_view text, const ProgressFigures& f, int columns) {
    const double share = f.total ? std::min(1.0, static_cast<double>(f.done) / f.total) : 0.0;
    char head[32];
    std::snprintf(head, sizeof head, "] %.6lXh %3d%%", static_cast<unsigned long>(f.address),
                  static_cast<int>(share * 100.0));
    std::string rateText, leftText;
    if (f.seconds > 0.2 && f.moved > 0) {
        const double bps = f.moved / f.seconds;
        rateText = "  " + rate(bps);
        if (f.done < f.total) leftText = "  " + clock((f.total - f.done) / bps) + " left";
    }
    // The figures a line has room for, decided by the longest each can be, so the bar
    // keeps its width as the figures change: time left goes first, then the rate.
    constexpr int kHead = 14, kRate = 14, kLeft = 12; // "  9999.9 KiB/s", "  99:59 left"
    const int room = columns - 1 - static_cast<int>(text.size() + 2);
    int tail = kHead + kRate + kLeft;
    if (room - tail < 10) leftText.clear(), tail -= kLeft;
    if (room - tail < 10) rateText.clear(), tail -= kRate;
    const int width = std::clamp(room - tail, 10, 30);
    const int filled = static_cast<int>(std::lround(share * width));
    return std::string(text) + " [" + std::string(static_cast<size_t>(filled), '#') +
           std::string(static_cast<size_t>(width - filled), '-') + head + rateText + leftText;
}

Console::Console(CliEnv& env, const CliOptions& options)
    : env_(env), style_(styleFor(options, env.stderrTerminal && !env.dumbTerminal)), quiet_(options.quiet),
      verbose_(options.verbose), colour_(env.stderrTerminal && !env.noColor && !env.dumbTerminal),
      startMs_(env.nowMs()) {}

Console::~Console() {
    if (log_) std::fclose(log_);
}

bool Console::openLog(const std::string& path, std::string& error) {
    // Through a link the log goes on only in a log of ours (every line starts with its
    // time in brackets) or an empty file, never at the end of an unrelated file.
    struct stat l {};
    if (::lstat(path.c_str(), &l) == 0 && S_ISLNK(l.st_mode)) {
        std::vector<uint8_t> head;
        if (readRegularFile(path, head, 1) && !head.empty() && head[0] != '[') {
            error = path + ": a link to a file that is no log";
            return false;
        }
    }
    log_ = std::fopen(path.c_str(), "ae");
    if (log_) return true;
    error = path + ": " + std::strerror(errno);
    return false;
}

double Console::seconds() const { return static_cast<double>(env_.nowMs() - startMs_) / 1000.0; }

std::string Console::coloured(std::string_view text, const char* colour) const {
    if (!colour_ || !colour) return std::string(text);
    return "\x1b[" + std::string(colour) + "m" + std::string(text) + "\x1b[0m";
}

void Console::toLog(std::string_view text) {
    if (!log_) return;
    std::fprintf(log_, "[%9.3f] %.*s\n", seconds(), static_cast<int>(text.size()), text.data());
    std::fflush(log_);
}

void Console::logOnly(std::string_view text) { toLog(text); }

void Console::clearBar() {
    if (!barShown_) return;
    env_.writeErr("\r\x1b[K");
    barShown_ = false;
}

void Console::toErr(std::string_view text, const char* colour) {
    const bool redraw = barShown_;
    clearBar();
    env_.writeErr(coloured(text, colour) + "\n");
    if (redraw) drawBar();
}

void Console::say(std::string_view text) {
    toLog(text);
    if (!quiet_) toErr(text, nullptr);
}

void Console::detail(std::string_view text) {
    toLog(text);
    if (verbose_ >= 1 && !quiet_) toErr(text, nullptr);
}

void Console::error(std::string_view text) {
    if (firstError_.empty()) firstError_ = text;
    const std::string line = "kestro-cli: " + std::string(text);
    toLog(line);
    toErr(line, kRed);
    if (json()) event("message", JsonObject().str("level", "error").str("text", text));
}

void Console::errorDetail(std::string_view text) {
    toLog(text);
    toErr(text, nullptr);
}

void Console::wire(std::string_view text) {
    if (verbose_ < 2) return;
    toLog(text);
    if (!quiet_) toErr(text, nullptr);
}

void Console::bell() {
    if (env_.stderrTerminal && !quiet_) env_.writeErr("\a");
}

void Console::data(std::string_view line) {
    if (!json()) env_.writeOut(std::string(line) + "\n");
}

void Console::event(std::string_view name, const JsonObject& fields) {
    if (!json()) return;
    std::string body = fields.text();
    std::string line = "{\"event\":" + jsonQuoted(name);
    if (body.size() > 2) {
        line += ',';
        line.append(body, 1, body.size() - 2);
    }
    char t[32];
    std::snprintf(t, sizeof t, ",\"t\":%.3f}\n", seconds());
    env_.writeOut(line + t);
}

void Console::beginOperation(std::string_view text, bool progress, uint32_t total,
                             uint32_t color) {
    if (open_) endOperation(OperationEnd::Done); // a new panel replaces the one on show
    open_ = true;
    progressMode_ = progress;
    text_ = text;
    statusText_.clear();
    colour24_ = color;
    figures_ = ProgressFigures{0, progress ? total : 0, 0, 0, 0};
    opStartMs_ = lastTickMs_ = env_.nowMs();
    rateStarted_ = false;
    lastDrawMs_ = 0;
    toLog(text);
    switch (style_) {
    case Style::Bar: drawBar(); break;
    case Style::Plain: env_.writeErr(std::string(text) + "\n"); break;
    case Style::Json: {
        JsonObject o;
        o.str("text", text).str("mode", progress ? "progress" : "message");
        if (progress) o.num("total", figures_.total);
        event("operation", o);
        break;
    }
    case Style::None: break;
    }
}

void Console::drawBar() {
    if (style_ != Style::Bar || !open_) return;
    std::string line;
    if (!statusText_.empty()) line = statusText_;
    else if (progressMode_) line = progressLine(text_, figures_, env_.terminalColumns);
    else line = text_;
    if (line.size() >= static_cast<size_t>(env_.terminalColumns))
        line.resize(static_cast<size_t>(std::max(env_.terminalColumns - 1, 1)));
    const bool plainColour = colour24_ == kWhiteRgb || !statusText_.empty();
    std::string shown = line;
    if (colour_ && !plainColour) {
        char esc[32];
        std::snprintf(esc, sizeof esc, "38;2;%u;%u;%u", (colour24_ >> 16) & 0xFF,
                      (colour24_ >> 8) & 0xFF, colour24_ & 0xFF);
        shown = coloured(line, esc);
    }
    env_.writeErr("\r" + shown + "\x1b[K");
    barShown_ = true;
    lastDrawMs_ = env_.nowMs();
}

void Console::progress(uint32_t done, uint32_t startAddress) {
    if (!open_) return;
    const uint64_t now = env_.nowMs();
    figures_.done = done;
    figures_.address = startAddress + done;
    // The rate counts from the first block: a wait before the transfer is no part of it.
    if (!rateStarted_) {
        rateStarted_ = true;
        rateStartMs_ = now;
        rateStartDone_ = done;
    }
    figures_.seconds = static_cast<double>(now - rateStartMs_) / 1000.0;
    figures_.moved = done - rateStartDone_;
    const bool last = done >= figures_.total;
    if (style_ == Style::Bar && (last || now - lastDrawMs_ >= kBarRedrawMs)) drawBar();
    if (style_ == Style::Json && (last || now - lastTickMs_ >= kJsonTickMs)) {
        lastTickMs_ = now;
        JsonObject o;
        o.num("done", done).num("total", figures_.total).num("address", figures_.address);
        if (figures_.seconds > 0) o.real("bytes_per_second", figures_.moved / figures_.seconds);
        event("progress", o);
    }
}

void Console::status(std::string_view text) {
    toLog(text);
    switch (style_) {
    case Style::Bar:
        if (open_) {
            statusText_ = text;
            drawBar();
        } else {
            toErr(text, nullptr);
        }
        break;
    case Style::Json:
        event("message", JsonObject().str("level", "info").str("text", text));
        if (!quiet_) toErr(text, nullptr); // people read stderr whatever stdout carries
        break;
    default:
        if (!quiet_) toErr(text, nullptr);
    }
}

void Console::endOperation(OperationEnd how) {
    if (!open_) return;
    const double s = static_cast<double>(env_.nowMs() - opStartMs_) / 1000.0;
    const char* word = how == OperationEnd::Done     ? "done"
                       : how == OperationEnd::Failed ? "failed"
                                                     : "interrupted";
    // A transfer that stopped says where it got to.
    const bool reached = progressMode_ && how == OperationEnd::Interrupted;
    char figures[64];
    if (progressMode_ && how == OperationEnd::Done)
        std::snprintf(figures, sizeof figures, " (%u bytes, %.1f s)", figures_.done, s);
    else if (reached)
        std::snprintf(figures, sizeof figures, " at %.6lXh (%.1f s)", static_cast<unsigned long>(figures_.address), s);
    else std::snprintf(figures, sizeof figures, " (%.1f s)", s);
    const std::string summary = text_ + " " + word + figures;
    toLog(summary);
    switch (style_) {
    case Style::Bar:
        drawBar();
        env_.writeErr("\n");
        barShown_ = false;
        break;
    case Style::Plain: env_.writeErr(summary + "\n"); break;
    case Style::Json: {
        JsonObject o;
        o.str("text", text_).str("result", word).real("seconds", s);
        if (progressMode_) o.num("done", figures_.done);
        if (reached) o.num("address", figures_.address);
        event("operation_end", o);
        break;
    }
    case Style::None: break;
    }
    open_ = false;
}

void Console::dropOperation() {
    clearBar();
    open_ = false;
}

} // namespace kestro::cli
