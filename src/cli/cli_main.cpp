#include "cli/cli_main.h"

#include "cli/console.h"
#include "cli/crc32.h"
#include "cli/docs_gen.h"
#include "cli/fuse_settings.h"
#include "cli/gang.h"
#include "devices/device_names.h"
#include "cli/listings.h"
#include "cli/produce.h"
#include "cli/job.h"

#include <cstdio>
#include <vector>

namespace kestro::cli {

namespace {

JsonObject stepJson(const StepResult& r) {
    JsonObject o;
    o.str("step", stepEntry(r.request.kind).name).path("file", r.request.file)
        .boolean("ok", r.code == ExitCode::Done).num("exit_code", exitNumber(r.code)).real("seconds", r.seconds);
    if (!r.crcOf.empty()) o.str("crc32_" + r.crcOf, crcText(r.crc)).num("bytes", r.bytes);
    if (!r.savedPath.empty()) o.path("saved", r.savedPath);
    if (!r.fuses.empty()) o.str("fuses", r.fuses);
    if (!r.diff.empty()) o.raw("diff", r.diff);
    return o;
}

std::string stepWords(const StepRequest& s) {
    return std::string(stepEntry(s.kind).name) + (s.file.empty() ? "" : " " + s.file);
}

JsonObject failureJson(const std::string& stepName, ExitCode code, const StepFailure* f,
                       const std::string& text) {
    JsonObject o;
    if (stepName.empty()) o.null("step");
    else o.str("step", stepName);
    o.num("exit_code", exitNumber(code)).str("kind", exitCodeEntry(code).name).str("text", text);
    if (f && f->hasDifference) {
        o.num("address", f->difference.address);
        if (f->fault == Fault::ContentDiffers)
            o.num("file_value", f->difference.expected).num("chip_value", f->difference.found);
        else o.num("value", f->difference.found);
    }
    if (f && !f->foundPart.empty()) o.str("found_part", f->foundPart);
    return o;
}

int finish(Console& console, Job& job, ExitCode code, const std::vector<StepResult>& results,
           const JsonObject* produce) {
    job.close();
    JsonArray steps;
    for (const StepResult& r : results) steps.raw(stepJson(r).text());
    JsonObject o;
    o.str("schema", kJsonSchema).str("version", kCliVersion);
    if (job.partName().empty()) o.null("part");
    else o.str("part", job.partName());
    o.str("port", job.portLabel()).num("exit_code", exitNumber(code))
        .str("exit_name", exitCodeEntry(code).name).real("seconds", console.seconds()).raw("steps", steps.text());
    if (code == ExitCode::Done) {
        o.null("failure");
    } else {
        const bool inStep = !results.empty() && results.back().code == code;
        const StepFailure* f = inStep ? &job.reporter().failure() : nullptr;
        const std::string text = f && !f->text.empty() ? f->text : console.firstError();
        o.raw("failure", failureJson(inStep ? std::string(stepEntry(results.back().request.kind).name) : "", code,
                                     f, text)
                             .text());
    }
    if (!job.fileRanges().empty())
        o.raw("range_file", JsonObject().raw("extents", rangesJson(job.fileExtents()))
                                .raw("ranges", rangesJson(job.fileRanges())).text());
    if (produce) o.raw("produce", produce->text());
    console.event("result", o);
    if (code == ExitCode::Done) {
        char text[48];
        std::snprintf(text, sizeof text, "done in %.1f s", console.seconds());
        console.detail(text);
    }
    return exitNumber(code);
}

// The names --fuse takes for the part, each with what it takes.
int fuseHelp(CliEnv& env, const CliOptions& o) {
    const std::optional<int> part = o.part ? findDeviceIgnoringCase(*o.part) : std::nullopt;
    if (!part) {
        env.writeErr("kestro-cli: --help fuses wants a part: -p NAME\n");
        return exitNumber(ExitCode::Usage);
    }
    const std::vector<std::string> names = fuseSettingNames(*part);
    if (names.empty()) env.writeOut("the part has no fuse settings\n");
    for (const std::string& n : names) env.writeOut("--fuse \"" + n + "\"\n");
    return exitNumber(ExitCode::Done);
}

int runSteps(Console& console, Job& job, const CliOptions& o) {
    std::vector<StepResult> results;
    ExitCode code = job.prepare();
    for (size_t i = 0; code == ExitCode::Done && i < o.steps.size(); ++i) {
        if (job.reporter().interrupted()) { // Ctrl+C between steps: the next one does not start
            if (results.empty() || !results.back().stopsRun)
                console.error("cancelled before " + stepWords(o.steps[i]));
            code = ExitCode::Cancelled;
            break;
        }
        results.emplace_back();
        code = job.runStep(o.steps[i], results.back());
    }
    if (code == ExitCode::Done && job.reporter().interrupted()) code = ExitCode::Cancelled;
    return finish(console, job, code, results, nullptr);
}

} // namespace

int runCli(std::span<const std::string> args, CliEnv& env) {
    const ParsedCommandLine parsed = parseCommandLine(args);
    const CliOptions& o = parsed.options;
    if (!parsed.error.empty()) {
        env.writeErr("kestro-cli: " + parsed.error + "\nTry 'kestro-cli --help'.\n");
        return exitNumber(ExitCode::Usage);
    }
    if (o.help) {
        if (o.helpTopic == "exit-codes") env.writeOut(exitCodesText());
        else if (o.helpTopic == "json") env.writeOut(jsonSchemaText());
        else if (o.helpTopic == "man") env.writeOut(manPage());
        else if (o.helpTopic == "completion") env.writeOut(bashCompletion());
        else if (o.helpTopic == "fuses") return fuseHelp(env, o);
        else env.writeOut(helpText());
        return exitNumber(ExitCode::Done);
    }
    if (o.version) {
        env.writeOut(std::string("kestro-cli ") + kCliVersion + "\n");
        return exitNumber(ExitCode::Done);
    }

    Console console(env, o);
    if (o.logFile) {
        std::string error;
        if (!console.openLog(*o.logFile, error)) {
            console.error("Can't Save File! (--log " + error + ")");
            return exitNumber(ExitCode::File);
        }
    }
    JsonArray steps;
    for (const StepRequest& s : o.steps) steps.str(stepWords(s));
    JsonObject start;
    start.str("schema", kJsonSchema).str("version", kCliVersion);
    if (o.part) start.str("part", *o.part);
    else start.null("part");
    if (o.simulate) start.str("port", "simulated");
    else if (o.port) start.str("port", *o.port);
    else start.null("port");
    console.event("start", start.raw("steps", steps.text()));

    Job job(env, o, console);
    const StepKind first = o.steps.front().kind;
    if (first == StepKind::Ports) {
        listPorts(console, scanPorts());
        return finish(console, job, ExitCode::Done, {}, nullptr);
    }
    if (first == StepKind::Parts) {
        const bool withAdapter = o.simulate || o.port;
        ExitCode code = withAdapter ? job.connect() : ExitCode::Done;
        if (code == ExitCode::Done &&
            !listParts(console, o.steps.front().file, withAdapter ? &job.state().adapter : nullptr)) {
            console.error("no part matches '" + o.steps.front().file + "'");
            code = ExitCode::Usage;
        }
        return finish(console, job, code, {}, nullptr);
    }
    if (first == StepKind::Produce && o.ports.size() > 1) {
        JsonObject summary;
        const ExitCode code = runGang(env, o, console, summary);
        return finish(console, job, code, {}, &summary);
    }
    if (first == StepKind::Produce) {
        ProduceTotals totals;
        std::vector<StepResult> results;
        const ExitCode code = runProduce(job, o, totals);
        const JsonObject summary = totals.json();
        return finish(console, job, code, results, &summary);
    }
    return runSteps(console, job, o);
}

} // namespace kestro::cli
