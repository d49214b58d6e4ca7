// --progress json: every line parses, every event carries what the schema promises,
// and the final result tells the whole run.

#include "cli_fixture.h"

#include "support/json_value.h"

#include <map>

namespace kestro {
namespace {

using test::JsonValue;
using Type = JsonValue::Type;

// The members each event must have, with their types (Null allowed where the schema
// says "null when ...").
struct Member {
    const char* name;
    Type type;
    bool nullable = false;
};
const std::map<std::string, std::vector<Member>> kSchema = {
    {"start", {{"schema", Type::String}, {"version", Type::String}, {"part", Type::String, true},
               {"port", Type::String, true}, {"steps", Type::Array}}},
    {"step", {{"step", Type::String}, {"file", Type::String}}},
    {"operation", {{"text", Type::String}, {"mode", Type::String}}},
    {"progress", {{"done", Type::Number}, {"total", Type::Number}, {"address", Type::Number}}},
    {"message", {{"level", Type::String}, {"text", Type::String}}},
    {"operation_end", {{"text", Type::String}, {"result", Type::String}, {"seconds", Type::Number}}},
    {"step_end", {{"step", Type::String}, {"ok", Type::Bool}, {"exit_code", Type::Number},
                  {"seconds", Type::Number}}},
    {"chip", {{"number", Type::Number}, {"serial", Type::Number, true}, {"ok", Type::Bool},
              {"exit_code", Type::Number}, {"crc32", Type::String}, {"seconds", Type::Number}}},
    {"part", {{"name", Type::String}, {"program_size", Type::Number}, {"data_size", Type::Number},
              {"family", Type::String}, {"socket", Type::String}}},
    {"port", {{"name", Type::String}, {"path", Type::String}, {"usable", Type::Bool}}},
    {"result", {{"schema", Type::String}, {"version", Type::String}, {"part", Type::String, true},
                {"port", Type::String}, {"exit_code", Type::Number}, {"exit_name", Type::String},
                {"seconds", Type::Number}, {"steps", Type::Array}, {"failure", Type::Object, true}}},
};

// Checks every line against the schema; gives the events in order.
std::vector<JsonValue> events(const std::string& out) {
    const auto lines = test::parseJsonLines(out);
    EXPECT_TRUE(lines) << out;
    if (!lines) return {};
    double t = 0;
    for (const JsonValue& e : *lines) {
        EXPECT_EQ(e.type, Type::Object);
        EXPECT_TRUE(e.has("event") && e.has("t")) << "no event or t";
        if (!e.has("event") || !e.has("t")) continue;
        const std::string kind = e["event"].string;
        EXPECT_GE(e["t"].number, t) << kind; // times never go back
        t = e["t"].number;
        const auto schema = kSchema.find(kind);
        EXPECT_NE(schema, kSchema.end()) << "event " << kind << " is not in the schema";
        if (schema == kSchema.end()) continue;
        for (const Member& m : schema->second) {
            EXPECT_TRUE(e.has(m.name)) << kind << " lacks " << m.name;
            if (!e.has(m.name)) continue;
            const Type got = e[m.name].type;
            EXPECT_TRUE(got == m.type || (m.nullable && got == Type::Null)) << kind << "." << m.name;
        }
    }
    EXPECT_FALSE(lines->empty());
    if (!lines->empty()) {
        EXPECT_EQ(lines->back()["event"].string, "result");
    }
    return *lines;
}

std::vector<std::string> kinds(const std::vector<JsonValue>& ev) {
    std::vector<std::string> k;
    for (const JsonValue& e : ev) k.push_back(e["event"].string);
    return k;
}

struct JsonLines : test::CliTest {};

TEST_F(JsonLines, AGoodRunTellsEveryStepAndItsCrc) {
    socket("27C256");
    test::writeFile(path("fw.bin"), test::pattern(32768, 5));
    const auto r = run({"-p", "27C256", "--no-waits", "--json", "write", path("fw.bin"), "verify", "read", path("back.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto ev = events(r.out);
    const auto k = kinds(ev);
    EXPECT_EQ(k.front(), "start");
    EXPECT_EQ(std::count(k.begin(), k.end(), "step"), 3);
    EXPECT_EQ(std::count(k.begin(), k.end(), "step_end"), 3);
    // Progress ticks at most ten a second: a 32 KiB transfer on the virtual clock
    // advances no time, so only the last tick of each transfer shows.
    EXPECT_EQ(std::count(k.begin(), k.end(), "progress"), 3);

    const JsonValue& result = ev.back();
    EXPECT_EQ(result["exit_code"].integer(), 0);
    EXPECT_EQ(result["exit_name"].string, "done");
    EXPECT_EQ(result["part"].string, "27C256");
    EXPECT_EQ(result["failure"].type, Type::Null);
    const auto& steps = result["steps"].array;
    ASSERT_EQ(steps.size(), 3u);
    // The image written, verified and read back is one image: one CRC.
    EXPECT_EQ(steps[0]["crc32_written"].string, steps[1]["crc32_verified"].string);
    EXPECT_EQ(steps[0]["crc32_written"].string, steps[2]["crc32_read"].string);
    EXPECT_EQ(steps[2]["saved"].string, path("back.bin"));
    EXPECT_EQ(steps[0]["bytes"].integer(), 32768);
}

TEST_F(JsonLines, AFailureCarriesItsAddressAndValues) {
    socket("27C256");
    env.adapter.chip.memory[0x123] = 0x00;
    test::writeFile(path("ff.bin"), test::Bytes(32768, 0xFF));
    auto r = run({"-p", "27C256", "--no-waits", "--progress", "json", "verify", path("ff.bin")});
    EXPECT_EQ(r.code, 7);
    auto result = events(r.out).back();
    const JsonValue& f = result["failure"];
    EXPECT_EQ(f["step"].string, "verify");
    EXPECT_EQ(f["kind"].string, "differs");
    EXPECT_EQ(f["text"].string, "NOT EQUAL!  Error: 000123h");
    EXPECT_EQ(f["address"].integer(), 0x123);
    EXPECT_EQ(f["file_value"].integer(), 0xFF);
    EXPECT_EQ(f["chip_value"].integer(), 0x00);

    socket("AT89C52");
    r = run({"-p", "AT89C51", "--no-waits", "--json", "read", path("x.bin")});
    EXPECT_EQ(r.code, 6);
    result = events(r.out).back();
    EXPECT_EQ(result["failure"]["found_part"].string, "AT89C52");

    // A failure before the first step has no step.
    r = run({"-p", "NOSUCHPART", "--json", "identify"});
    EXPECT_EQ(r.code, 2);
    result = events(r.out).back();
    EXPECT_EQ(result["failure"]["step"].type, Type::Null);
    EXPECT_EQ(result["failure"]["kind"].string, "usage");
    EXPECT_EQ(result["part"].type, Type::Null);
}

TEST_F(JsonLines, ProgressTicksAtMostTenASecond) {
    socket("27C256");
    // Each block costs 40 ms of virtual time: 256 blocks take about ten seconds.
    env.adapter.trace = [&](const std::string& line) {
        if (line.rfind("sent block", 0) == 0) env.clock.advance(40);
    };
    const auto r = run({"-p", "27C256", "--no-waits", "--json", "read", path("x.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    std::vector<double> ticks;
    for (const JsonValue& e : events(r.out))
        if (e["event"].string == "progress") ticks.push_back(e["t"].number);
    EXPECT_GE(ticks.size(), 80u);
    EXPECT_LE(ticks.size(), 110u);
    for (size_t i = 1; i + 1 < ticks.size(); ++i) EXPECT_GE(ticks[i] - ticks[i - 1], 0.099);
}

TEST_F(JsonLines, ListingsAreJsonToo) {
    auto r = run({"--json", "parts", "24C0*"});
    ASSERT_EQ(r.code, 0);
    const auto ev = events(r.out);
    ASSERT_GE(ev.size(), 3u);
    EXPECT_EQ(ev[1]["event"].string, "part");
    EXPECT_EQ(ev[1]["name"].string, "24C01A");
    EXPECT_EQ(ev[1]["data_size"].integer(), 128);
}

} // namespace
} // namespace kestro
