#include "cli/command_line.h"

#include <algorithm>
#include <charconv>

namespace kestro::cli {

namespace {

const OptionEntry* findLong(std::string_view name) {
    for (const OptionEntry& o : optionTable())
        if (o.longName == name) return &o;
    return nullptr;
}

const OptionEntry* findShort(char c) {
    for (const OptionEntry& o : optionTable())
        if (o.shortName == c) return &o;
    return nullptr;
}

bool isHelpTopic(std::string_view word) {
    const auto topics = helpTopics();
    return std::any_of(topics.begin(), topics.end(),
                       [word](const HelpTopic& t) { return t.name == word; });
}

std::string display(const OptionEntry& o) {
    return o.longName.empty() ? std::string("-") + o.shortName : "--" + std::string(o.longName);
}

class Parser {
public:
    explicit Parser(std::span<const std::string> args) : args_(args) {}

    ParsedCommandLine run() {
        std::vector<std::string> words;
        bool optionsEnded = false;
        for (pos_ = 0; pos_ < args_.size() && error_.empty(); ++pos_) {
            const std::string& a = args_[pos_];
            if (optionsEnded || a == "-" || a.size() < 2 || a[0] != '-') words.push_back(a);
            else if (a == "--") optionsEnded = true;
            else if (a[1] == '-') longOption(a.substr(2));
            else shortOptions(a.substr(1));
        }
        if (error_.empty() && !o_.help && !o_.version) readSteps(words);
        if (error_.empty() && !o_.help && !o_.version) check();
        return {std::move(o_), std::move(error_)};
    }

private:
    void longOption(const std::string& body) {
        const size_t eq = body.find('=');
        const std::string name = body.substr(0, eq);
        const OptionEntry* desc = findLong(name);
        if (!desc) return fail("unknown option '--" + name + "'");
        std::optional<std::string> value;
        if (eq != std::string::npos) {
            if (desc->arg == Arg::None) return fail("--" + name + " takes no value");
            value = body.substr(eq + 1);
        } else if (desc->arg == Arg::Required) {
            if (pos_ + 1 >= args_.size()) return fail("--" + name + " wants " + std::string(desc->argName));
            value = args_[++pos_];
        }
        apply(*desc, value);
    }

    void shortOptions(const std::string& cluster) {
        for (size_t i = 0; i < cluster.size() && error_.empty(); ++i) {
            const OptionEntry* desc = findShort(cluster[i]);
            if (!desc) return fail(std::string("unknown option '-") + cluster[i] + "'");
            if (desc->arg != Arg::Required) {
                apply(*desc, std::nullopt);
                continue;
            }
            std::string value = cluster.substr(i + 1);
            if (value.empty()) {
                if (pos_ + 1 >= args_.size())
                    return fail(std::string("-") + cluster[i] + " wants " + std::string(desc->argName));
                value = args_[++pos_];
            }
            apply(*desc, value);
            return;
        }
    }

    void apply(const OptionEntry& desc, const std::optional<std::string>& value) {
        const std::string v = value.value_or("");
        switch (desc.id) {
        case OptId::Part: o_.part = v; break;
        case OptId::Port:
            o_.ports.push_back(v);
            o_.port = o_.ports.front();
            break;
        case OptId::Simulate:
            o_.simulate = true;
            o_.simulateChip = v;
            break;
        case OptId::SimulateFault: o_.simulateFaults.push_back(v); break;
        case OptId::SimulatePaced: o_.simulatePaced = true; break;
        case OptId::Data: o_.dataView = true; break;
        case OptId::Range: o_.range = v; break;
        case OptId::Verify: o_.verify = true; break;
        case OptId::NoVerify: o_.verify = false; break;
        case OptId::DataMemory: o_.dataMemory = true; break;
        case OptId::Fuse: o_.fuses.push_back(v); break;
        case OptId::Config: o_.config = v; break;
        case OptId::Lock: o_.lock = v; break;
        case OptId::Ports: o_.testPorts = v; break;
        case OptId::Vpp: o_.testVpp = v; break;
        case OptId::Vce: o_.testVce = v; break;
        case OptId::Yes: answer(Answer::Yes); break;
        case OptId::No: answer(Answer::No); break;
        case OptId::Diff: o_.diffFile = v; break;
        case OptId::NoWaits: o_.noWaits = true; break;
        case OptId::WindowTiming: o_.windowTiming = true; break;
        case OptId::Count: count(v); break;
        case OptId::Serial: o_.serial = v; break;
        case OptId::Journal: o_.journal = v; break;
        case OptId::Erase: o_.erase = true; break;
        case OptId::Secure: o_.secure = true; break;
        case OptId::Progress: progress(v); break;
        case OptId::Json: o_.progress = ProgressMode::Json; break;
        case OptId::Quiet: o_.quiet = true; break;
        case OptId::Verbose: ++o_.verbose; break;
        case OptId::Log: o_.logFile = v; break;
        case OptId::Help:
            o_.help = true;
            // "--help exit-codes": a topic may follow as a word of its own.
            if (pos_ + 1 < args_.size() && isHelpTopic(args_[pos_ + 1])) o_.helpTopic = args_[++pos_];
            break;
        case OptId::Version: o_.version = true; break;
        }
        if (desc.arg == Arg::Required && v.empty() && error_.empty())
            fail(display(desc) + " wants " + std::string(desc.argName) + ", not an empty value");
    }

    void answer(Answer a) {
        if (o_.answer != Answer::Ask && o_.answer != a) return fail("--yes and --no exclude each other");
        o_.answer = a;
    }

    void count(const std::string& v) {
        uint32_t n = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        if (ec != std::errc() || end != v.data() + v.size() || n == 0)
            return fail("--count wants a number of chips from 1, not '" + v + "'");
        o_.count = n;
    }

    void progress(const std::string& v) {
        static constexpr std::pair<std::string_view, ProgressMode> kModes[] = {
            {"auto", ProgressMode::Auto}, {"bar", ProgressMode::Bar}, {"plain", ProgressMode::Plain},
            {"json", ProgressMode::Json}, {"none", ProgressMode::None}};
        for (const auto& [name, mode] : kModes) {
            if (v == name) {
                o_.progress = mode;
                return;
            }
        }
        fail("--progress wants auto, bar, plain, json or none, not '" + v + "'");
    }

    void readSteps(const std::vector<std::string>& words) {
        for (size_t i = 0; i < words.size(); ++i) {
            const StepEntry* step = findStep(words[i]);
            if (!step) return fail("unknown step '" + words[i] + "' (see kestro-cli --help)");
            StepRequest r{step->kind, {}};
            const bool next = i + 1 < words.size();
            switch (step->arg) {
            case StepArg::None: break;
            case StepArg::File:
                if (!next || findStep(words[i + 1]))
                    return fail(std::string(step->name) + " wants " + std::string(step->argName));
                r.file = words[++i];
                break;
            case StepArg::OptionalFile:
            case StepArg::OptionalPattern:
                // A word that names a step is that step: a file of such a name is ./name.
                if (next && !findStep(words[i + 1])) r.file = words[++i];
                break;
            }
            o_.steps.push_back(std::move(r));
        }
    }

    void check() {
        if (o_.steps.empty()) return fail("no step given (see kestro-cli --help)");
        for (const StepRequest& s : o_.steps) {
            const StepEntry& desc = stepEntry(s.kind);
            if (desc.alone && o_.steps.size() > 1)
                return fail(std::string(desc.name) + " is a command of its own: no other step beside it");
        }
        const bool producing = o_.steps.front().kind == StepKind::Produce;
        const auto onlyForProduce = [&](bool given, const char* name) {
            if (given && !producing && error_.empty()) fail(std::string(name) + " is for produce");
        };
        onlyForProduce(o_.count.has_value(), "--count");
        onlyForProduce(o_.serial.has_value(), "--serial");
        onlyForProduce(o_.journal.has_value(), "--journal");
        onlyForProduce(o_.erase, "--erase");
        onlyForProduce(o_.secure, "--secure");
        if (!o_.simulate && error_.empty()) {
            if (!o_.simulateFaults.empty()) fail("--simulate-fault needs --simulate");
            else if (o_.simulatePaced) fail("--simulate-paced needs --simulate");
        }
        if (o_.simulate && o_.port && error_.empty()) fail("--simulate and --port exclude each other");
        if (o_.ports.size() > 1 && !producing)
            fail("several ports are for produce, one session on each adapter");
        if (o_.ports.size() > 1 && o_.serial && !o_.journal)
            fail("--serial on several ports needs --journal, which keeps their serial numbers apart");
        const bool reads = std::any_of(o_.steps.begin(), o_.steps.end(),
                                       [](const StepRequest& s) { return s.kind == StepKind::Read; });
        if (o_.range == "file" && reads)
            fail("--range file: read has no file to take the ranges from; give START:END");
    }

    void fail(std::string text) {
        if (error_.empty()) error_ = std::move(text);
    }

    std::span<const std::string> args_;
    size_t pos_ = 0;
    CliOptions o_;
    std::string error_;
};

} // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string> args) { return Parser(args).run(); }

} // namespace kestro::cli
