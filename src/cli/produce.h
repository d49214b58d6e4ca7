#pragma once
// Production: chip after chip from one file, each identified, (erased), programmed,
// verified and (secured), with a serial number written into the image before each and
// journal lines for each (the number reserved, then the result), so neither a crash
// nor several runs sharing the journal hand out a serial number twice.

#include "cli/command_line.h"
#include "cli/exit_codes.h"
#include "cli/json.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::cli {

class Job;

enum class SerialFormat : uint8_t { Le32, Be32, Ascii, Bcd };

struct SerialPlan {
    uint32_t address = 0;
    uint64_t start = 1;
    uint64_t step = 1;
    SerialFormat format = SerialFormat::Le32;
};

// ADDR[:START[:STEP[:le32|be32|ascii|bcd]]]; numbers decimal or 0x-hexadecimal.
std::optional<SerialPlan> parseSerialPlan(std::string_view text, std::string& error);
// The bytes a serial number takes in the image; empty when it does not fit the format
// (2^32 for le32/be32, 8 decimal digits for ascii/bcd).
std::vector<uint8_t> serialBytes(SerialFormat format, uint64_t value);

// The journal's first line. Its first five columns are how a journal begins, whichever
// version wrote it.
inline constexpr std::string_view kJournalHeader = "time,serial,result,exit_code,crc32,adapter";
inline constexpr std::string_view kJournalHeaderStart = kJournalHeader.substr(0, 33);

// The highest serial number a journal holds, reserved or used; nothing when none.
std::optional<uint64_t> lastJournalSerial(const std::string& path);
// Every record below is written under the journal's lock, so any number of produce
// runs, and threads, may share one journal.
// Appends one line, in one write, and syncs it to disk; a journal whose last line has
// no line end (edited by hand, a disk that filled) gets one first. False with the
// system's reason when that failed; a partly written line is taken back.
bool appendJournalLine(const std::string& path, const std::string& line, std::string* reason = nullptr);
// Creates the journal, or gives an empty one its header line.
bool startJournal(const std::string& path, std::string* reason = nullptr);
// Takes the serial number for a chip: `serial`, or the one after the highest the
// journal holds when that is higher, written to it as reserved (at `time`). False when
// the number (left in `serial`) does not fit the plan's format, with `reason` empty, or
// when the journal failed, with the system's reason.
// `adapter` names the port the chip sits on.
bool reserveSerial(const std::string& path, const SerialPlan& plan, uint64_t& serial, const std::string& time,
                   const std::string& adapter, std::string& reason);
// "2024-05-01T12:00:00Z"
std::string isoTime(int64_t secondsSinceEpoch);

struct ProduceTotals {
    uint32_t good = 0;
    uint32_t failed = 0;
    std::optional<uint64_t> firstSerial;
    std::optional<uint64_t> lastSerial;
    JsonObject json() const;
};

// Where the next chip comes from when several adapters share the run: each call waits
// for the go (Enter, or at once with --count and no terminal) and gives the chip's
// number across the adapters, or nothing when no more are to be made.
class ChipGate {
public:
    virtual ~ChipGate() = default;
    virtual std::optional<uint32_t> next() = 0;
};

struct ProduceTotals;
// How one socket's run ended, for the summary of a run over several.
struct SocketEnd {
    bool lost = false;   // the adapter stopped answering or its port went
    std::string why;     // the failure that ended it
};

// Chip after chip on the job's adapter. With a gate the chips come from it, a chip that
// fails goes on with the next and an adapter lost stops this socket (said in one line).
ExitCode runProduce(Job& job, const CliOptions& options, ProduceTotals& totals, ChipGate* gate = nullptr,
                    SocketEnd* end = nullptr);

} // namespace kestro::cli
