#include "ops/chains.h"

#include "devices/selection_rules.h"
#include "devices/traits.h"

#include <algorithm>
#include <array>
#include <span>

namespace kestro {

namespace {

enum class Step : uint8_t {
    End,
    Identify,          // identification in menu mode
    ResetPolarityHigh, // lock mode := 0 ("Reset High, OE Low"), then Reset Polarity
    ResetPolarityLow,  // lock mode := 1 ("Reset Low, OE High"), then Reset Polarity
    Read,
    ReadFuse,
    Erase,
    Program,
    ProgramAndVerify,
    Verify,
    CheckErase,
    FuseThenProgramFuse, // the panel's values, then (when they are usable) Program Fuse
    FuseThenSecurity,    // the panel's values, then (when they are usable) Program Security
    DataPass,            // data view, the data pass, program view; grid shown anew each time
    ShowImage,           // the grid shows the buffers anew
    ShowFuses,           // the fuse panel shows the fuse bytes
    ShowDataView,        // the data view, grid shown anew
    ShowProgramView,     // the program view, grid shown anew
};

enum class When : uint8_t {
    Always,
    ConfigurationProm,
    NotConfigurationProm,
    Result,                // the last-operation result
    ResultAndVerifyFlag,   // ... and verify after program
    ResultAndReadFuse,     // ... and the device offers Read Fuse
    ResultAndSecurity,     // ... and the device offers Program Security
    ProgramFuseOffered,    // the device offers Program Fuse
    DataPassDue,           // auto data memory, the result, a data memory, the program view
};

struct ChainLink {
    Step step = Step::End;
    When when = When::Always;
    bool setsResult = false; // the step's outcome becomes the last-operation result
    When then = When::Always; // the FuseThen steps: what the second half tests
};

// Which parts a chain is for: the self-verifying ones (the code-hopping encoders and
// the temperature sensor, programmed and verified by one command) or the others.
enum class ChainWhen : uint8_t { Always, SelfVerifying, NotSelfVerifying };

// A chain of a menu command (ProcessCommand) or of one memory (MemoryChain).
template <class Command> struct Chain {
    Command command;
    ChainWhen when;
    std::array<ChainLink, 10> links;
};

// Program's data pass, run between switching to the data view and back: the data
// memory follows the program memory in the same run.
constexpr ChainLink kDataPass[] = {
    {Step::Program, When::Always, true},
    {Step::Verify, When::ResultAndVerifyFlag, true},
};

constexpr Chain<ProcessCommand> kChains[] = {
    {ProcessCommand::Identify, ChainWhen::Always,
     {{{Step::ResetPolarityHigh, When::ConfigurationProm},
       {Step::Identify, When::NotConfigurationProm}}}},
    {ProcessCommand::Read, ChainWhen::Always,
     {{{Step::Read, When::Always, true},
       {Step::ShowImage},
       {Step::ReadFuse, When::ResultAndReadFuse},
       {Step::ShowFuses, When::ResultAndReadFuse}}}},
    {ProcessCommand::ReadFuse, ChainWhen::Always, {{{Step::ReadFuse}, {Step::ShowFuses}}}},
    {ProcessCommand::Erase, ChainWhen::Always,
     {{{Step::ResetPolarityLow, When::ConfigurationProm},
       {Step::Erase, When::NotConfigurationProm}}}},
    {ProcessCommand::Program, ChainWhen::SelfVerifying,
     {{{Step::ProgramAndVerify, When::Always, true}}}},
    {ProcessCommand::Program, ChainWhen::NotSelfVerifying,
     {{{Step::Program, When::Always, true},
       {Step::Verify, When::ResultAndVerifyFlag, true},
       {Step::DataPass, When::DataPassDue},
       {Step::FuseThenProgramFuse, When::ProgramFuseOffered, false, When::Result}}}},
    {ProcessCommand::Verify, ChainWhen::Always, {{{Step::Verify}}}},
    {ProcessCommand::ProgramSecurity, ChainWhen::Always, {{{Step::FuseThenSecurity}}}},
    {ProcessCommand::ProgramFuse, ChainWhen::Always, {{{Step::FuseThenProgramFuse}}}},
    {ProcessCommand::EraseProgram, ChainWhen::Always,
     {{{Step::Erase, When::Always, true},
       {Step::Program, When::Result, true},
       {Step::Verify, When::ResultAndVerifyFlag, true},
       {Step::DataPass, When::DataPassDue},
       {Step::FuseThenProgramFuse, When::ProgramFuseOffered, false, When::Result}}}},
    {ProcessCommand::EraseProgramSecurity, ChainWhen::Always,
     {{{Step::Erase, When::Always, true},
       {Step::Program, When::Result, true},
       {Step::Verify, When::ResultAndVerifyFlag, true},
       {Step::DataPass, When::DataPassDue},
       {Step::FuseThenProgramFuse, When::ProgramFuseOffered, false, When::Result},
       {Step::FuseThenSecurity, When::ResultAndSecurity}}}},
    {ProcessCommand::CheckErase, ChainWhen::Always, {{{Step::CheckErase}}}},
};

constexpr Chain<MemoryChain> kMemoryChains[] = {
    {MemoryChain::Read, ChainWhen::Always, {{{Step::Read, When::Always, true}}}},
    {MemoryChain::ReadDataMemory, ChainWhen::Always,
     {{{Step::ShowDataView}, {Step::Read, When::Always, true}, {Step::ShowProgramView}}}},
    {MemoryChain::Program, ChainWhen::SelfVerifying,
     {{{Step::ProgramAndVerify, When::Always, true}}}},
    {MemoryChain::Program, ChainWhen::NotSelfVerifying, {{{Step::Program, When::Always, true}}}},
};

bool isOperation(Step step) {
    switch (step) {
    case Step::DataPass:
    case Step::ShowImage:
    case Step::ShowFuses:
    case Step::ShowDataView:
    case Step::ShowProgramView: return false;
    default: return true;
    }
}

// The steps that start operations: the operations and the data pass.
bool startsOperation(Step step) { return isOperation(step) || step == Step::DataPass; }

struct Runner {
    OpContext& c;

    bool offers(ProcessCommand command) const {
        return offered(c.device.index, c.adapter.serialAdapter, command);
    }

    bool holds(When when) const {
        const bool r = c.ops.lastResult;
        const bool verify = c.settings.verifyAfterProgram;
        switch (when) {
        case When::Always: return true;
        case When::ConfigurationProm: return traitsOf(c.device.index).configurationProm;
        case When::NotConfigurationProm: return !traitsOf(c.device.index).configurationProm;
        case When::Result: return r;
        case When::ResultAndVerifyFlag: return r && verify;
        case When::ResultAndReadFuse: return r && offers(ProcessCommand::ReadFuse);
        case When::ResultAndSecurity: return r && offers(ProcessCommand::ProgramSecurity);
        case When::ProgramFuseOffered: return offers(ProcessCommand::ProgramFuse);
        case When::DataPassDue:
            return c.settings.autoDataMemory && r && c.device.dataSize > 0 &&
                   c.images.view == ProgramView;
        }
        return false;
    }

    void switchView(uint8_t view) {
        c.images.view = view;
        c.report.imageChanged();
    }

    void runLinks(std::span<const ChainLink> links) {
        for (const ChainLink& link : links) {
            if (link.step == Step::End) break;
            if (!holds(link.when)) continue;
            // After a stop request no further operation starts; the displays still
            // show what the buffers and fuse bytes hold.
            if (startsOperation(link.step) && c.report.stopRequested()) {
                c.ops.stopTaken = true;
                continue;
            }
            const bool ok = run(link);
            if (isOperation(link.step)) c.report.hidePanel();
            if (link.setsResult) c.ops.lastResult = ok;
        }
    }

    // Runs one step; operations answer whether they completed, the rest true.
    bool run(const ChainLink& link) {
        switch (link.step) {
        case Step::Identify: return identify(c, IdentifyMode::Menu);
        case Step::ResetPolarityHigh:
        case Step::ResetPolarityLow:
            c.fuse.lockMode = link.step == Step::ResetPolarityLow ? 1 : 0;
            return resetPolarity(c);
        case Step::Read: return readChip(c);
        case Step::ReadFuse: return readFuse(c);
        case Step::Erase: return eraseChip(c);
        case Step::Program: return programChip(c);
        case Step::ProgramAndVerify: return programAndVerify(c);
        case Step::Verify: return verifyChip(c);
        case Step::CheckErase: return checkErase(c);
        case Step::FuseThenProgramFuse:
            return c.report.collectFuses() && holds(link.then) && programFuse(c);
        case Step::FuseThenSecurity:
            return c.report.collectFuses() && holds(link.then) && programSecurity(c);
        case Step::DataPass:
            switchView(DataView);
            runLinks(kDataPass);
            switchView(ProgramView);
            return true;
        case Step::ShowImage: c.report.imageChanged(); return true;
        case Step::ShowFuses: c.report.fusesChanged(); return true;
        case Step::ShowDataView: switchView(DataView); return true;
        case Step::ShowProgramView: switchView(ProgramView); return true;
        case Step::End: break;
        }
        return true;
    }
};

constexpr std::string_view kCaptions[] = {
    "Identify",    "Read",      "Erase",         "Program",       "Verify",
    "Program Security", "Program Fuse", "Read Fuse", "Erase+Program",
    "Erase+Program+Security", "Check Erase"};
static_assert(std::size(kCaptions) == kProcessCommandCount);

bool chainApplies(ChainWhen when, const OpContext& c) {
    switch (when) {
    case ChainWhen::Always: return true;
    case ChainWhen::SelfVerifying: return selfVerifyingFamily(c.device.family);
    case ChainWhen::NotSelfVerifying: return !selfVerifyingFamily(c.device.family);
    }
    return false;
}

template <class Command, size_t N>
void runChain(OpContext& c, const Chain<Command> (&table)[N], Command command) {
    const auto chain = std::find_if(std::begin(table), std::end(table), [&](const Chain<Command>& ch) {
        return ch.command == command && chainApplies(ch.when, c);
    });
    if (chain == std::end(table)) return;
    // A cancel left from an earlier run is no stop request for this one.
    c.ops.cancel = false;
    c.ops.stopTaken = false;
    Runner{c}.runLinks(chain->links);
}

} // namespace

std::string_view commandCaption(ProcessCommand command) {
    return kCaptions[static_cast<size_t>(command)];
}

bool offered(int deviceIndex, bool serialAdapter, ProcessCommand command) {
    return processEnabling(deviceIndex, serialAdapter)[command];
}

std::optional<ProcessCommand> programmingChain(int deviceIndex, bool serialAdapter) {
    for (ProcessCommand c : {ProcessCommand::Program, ProcessCommand::EraseProgram})
        if (offered(deviceIndex, serialAdapter, c)) return c;
    return std::nullopt;
}

void runProcess(OpContext& c, ProcessCommand command) { runChain(c, kChains, command); }

bool runMemoryChain(OpContext& c, MemoryChain chain) {
    c.ops.lastResult = false; // a stop before the operation leaves no result of an earlier one
    runChain(c, kMemoryChains, chain);
    return c.ops.lastResult;
}

} // namespace kestro
