#pragma once
// What kestro-cli says: data and JSON lines on stdout, everything for people on
// stderr (a progress line that redraws itself on a terminal, plain lines elsewhere),
// and a log file beside both.

#include "cli/cli_env.h"
#include "cli/command_line.h"
#include "cli/json.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kestro::cli {

enum class Style : uint8_t { Bar, Plain, Json, None };

// How the options and the streams decide the style: -q silences progress, auto draws a
// bar only on a terminal.
Style styleFor(const CliOptions& o, bool stderrTerminal);

enum class OperationEnd : uint8_t { Done, Failed, Interrupted };

// "[####------]" and the figures after it, for one redraw of the progress line.
struct ProgressFigures {
    uint32_t done = 0;
    uint32_t total = 0;   // bytes of the whole transfer
    uint32_t address = 0; // of the next byte
    uint32_t moved = 0;   // bytes since the first block came, in `seconds`
    double seconds = 0;
};
std::string progressLine(std::string_view text, const ProgressFigures& f, int columns);

class Console {
public:
    Console(CliEnv& env, const CliOptions& options);
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Opens --log FILE for appending; false with the reason.
    bool openLog(const std::string& path, std::string& error);

    Style style() const { return style_; }
    bool json() const { return style_ == Style::Json; }
    CliEnv& env() { return env_; }
    double seconds() const; // since the start

    // ---- for people, on stderr and in the log ----
    void say(std::string_view text);    // unless -q
    void detail(std::string_view text); // with -v
    void error(std::string_view text);  // always, in red on a terminal
    const std::string& firstError() const { return firstError_; }
    // A line that belongs to the failure before it: shown even with -q.
    void errorDetail(std::string_view text);
    void wire(std::string_view text);   // with -vv
    void logOnly(std::string_view text); // said by someone else (a socket of a gang): the log only
    void bell();

    // ---- on stdout ----
    void data(std::string_view line); // not in JSON mode: there data goes into the events
    // One JSON line: {"event":NAME, ...fields, "t":seconds}; only in JSON mode.
    void event(std::string_view name, const JsonObject& fields);

    // ---- the operation panel as a line ----
    void beginOperation(std::string_view text, bool progress, uint32_t total, uint32_t color);
    // `done` bytes from the start of the transfer, which begins at `startAddress`.
    void progress(uint32_t done, uint32_t startAddress);
    void status(std::string_view text);
    void endOperation(OperationEnd how);
    // The operation on show goes without a word of its own: the program ends at once
    // and says why in the line that follows.
    void dropOperation();
    bool operationOpen() const { return open_; }
    const std::string& operationText() const { return text_; }
    bool inProgressMode() const { return open_ && progressMode_; }

private:
    void toErr(std::string_view text, const char* colour);
    void toLog(std::string_view text);
    void clearBar();
    void drawBar();
    std::string coloured(std::string_view text, const char* colour) const;

    CliEnv& env_;
    Style style_;
    bool quiet_;
    int verbose_;
    bool colour_;
    std::FILE* log_ = nullptr;
    uint64_t startMs_;
    std::string firstError_;

    // The operation on show.
    bool open_ = false;
    bool progressMode_ = false;
    std::string text_;
    std::string statusText_;
    uint32_t colour24_ = 0;
    ProgressFigures figures_;
    uint64_t opStartMs_ = 0;
    uint64_t lastDrawMs_ = 0;
    uint64_t lastTickMs_ = 0;
    bool barShown_ = false;
    bool rateStarted_ = false;
    uint64_t rateStartMs_ = 0;
    uint32_t rateStartDone_ = 0;
};

} // namespace kestro::cli
