#include "ops/chains.h"

#include "devices/selection_rules.h"
#include "devices/traits.h"

#include <algorithm>
#include <array>

namespace kestro {

namespace {

enum class Step : uint8_t {
    End,
    Identify,      // identification in menu mode
    ResetPolarity, // lock mode := 0 ("Reset High, OE Low"), then Reset Polarity
    Read,
    ReadFuse,
    ShowImage, // the grid shows the buffers anew
    ShowFuses, // the fuse panel shows the fuse bytes
};

enum class When : uint8_t {
    Always,
    ConfigurationProm,
    NotConfigurationProm,
    ResultAndReadFuseOffered, // the last result, and the device offers Read Fuse
};

struct ChainLink {
    Step step = Step::End;
    When when = When::Always;
    bool setsResult = false; // the step's outcome becomes the last-operation result
};

struct Chain {
    ProcessCommand command;
    std::array<ChainLink, 12> links;
};

constexpr Chain kChains[] = {
    {ProcessCommand::Identify,
     {{{Step::ResetPolarity, When::ConfigurationProm},
       {Step::Identify, When::NotConfigurationProm}}}},
    {ProcessCommand::Read,
     {{{Step::Read, When::Always, true},
       {Step::ShowImage},
       {Step::ReadFuse, When::ResultAndReadFuseOffered},
       {Step::ShowFuses, When::ResultAndReadFuseOffered}}}},
    {ProcessCommand::ReadFuse, {{{Step::ReadFuse}, {Step::ShowFuses}}}},
};

bool offers(const State& st, std::string_view item) {
    const ProcessEnabling on = processEnabling(st.device.index, st.adapter.serialAdapter != 0);
    const auto k = std::find(kProcessItems.begin(), kProcessItems.end(), item) - kProcessItems.begin();
    return on[static_cast<size_t>(k)];
}

bool holds(const State& st, When when) {
    switch (when) {
    case When::Always: return true;
    case When::ConfigurationProm: return traitsOf(st.device.index).configurationProm;
    case When::NotConfigurationProm: return !traitsOf(st.device.index).configurationProm;
    case When::ResultAndReadFuseOffered: return st.ops.lastResult && offers(st, "ReadFuse1");
    }
    return false;
}

// Runs one step; operations answer whether they completed, the rest true.
bool run(OpContext& c, Step step) {
    switch (step) {
    case Step::Identify: return identify(c, IdentifyMode::Menu);
    case Step::ResetPolarity:
        c.st.fuse.lockMode = 0;
        return resetPolarity(c);
    case Step::Read: return readChip(c);
    case Step::ReadFuse: return readFuse(c);
    case Step::ShowImage: c.report.imageChanged(); return true;
    case Step::ShowFuses: c.report.fusesChanged(); return true;
    case Step::End: break;
    }
    return true;
}

bool isOperation(Step step) { return step != Step::ShowImage && step != Step::ShowFuses; }

} // namespace

void runProcess(OpContext& c, ProcessCommand command) {
    const Chain* chain = nullptr;
    for (const Chain& ch : kChains)
        if (ch.command == command) chain = &ch;
    if (!chain) return;
    for (const ChainLink& link : chain->links) {
        if (link.step == Step::End) break;
        if (c.report.closing()) break; // the window is going away: nothing more runs
        if (!holds(c.st, link.when)) continue;
        const bool ok = run(c, link.step);
        if (isOperation(link.step)) c.report.hidePanel();
        if (link.setsResult) c.st.ops.lastResult = ok ? 1 : 0;
    }
}

} // namespace kestro
