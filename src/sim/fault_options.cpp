#include "sim/fault_options.h"

#include <array>
#include <charconv>

namespace kestro {

namespace {

constexpr std::array<FaultOption, 7> kFaults{{
    {"silent-from", "K", "answer nothing from received byte K on (from 1)"},
    {"wrong-echo-from", "K", "echo every byte inverted from byte K on"},
    {"hang-up-at", "K", "drop the line when byte K arrives"},
    {"bad-checksum", "once|always", "block reads carry a wrong checksum"},
    {"short-block", "once|always", "block reads lose their last byte"},
    {"status-167", "", "every programmed block reports 167 (chip failed)"},
    {"block-status", "N", "every programmed block reports N (210 is done)"},
}};

// Received bytes are counted from 1.
bool byteNumber(std::string_view name, std::string_view value, uint32_t& out, std::string& error) {
    uint32_t v = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size() || v == 0) {
        error = std::string(name) + " wants a number from 1 to 4294967295, not '" +
                std::string(value) + "'";
        return false;
    }
    out = v;
    return true;
}

bool repeat(std::string_view name, std::string_view value, Repeat& out, std::string& error) {
    if (value == "once") out = Repeat::Once;
    else if (value == "always") out = Repeat::Always;
    else {
        error = std::string(name) + " wants once or always, not '" + std::string(value) + "'";
        return false;
    }
    return true;
}

} // namespace

std::span<const FaultOption> faultOptions() { return kFaults; }

bool applyFaultOption(std::string_view name, std::string_view value, AdapterFaults& faults,
                      std::string& error) {
    if (name == "silent-from") return byteNumber(name, value, faults.silentFromByte, error);
    if (name == "wrong-echo-from") return byteNumber(name, value, faults.wrongEchoFromByte, error);
    if (name == "hang-up-at") return byteNumber(name, value, faults.hangUpAtByte, error);
    if (name == "bad-checksum") return repeat(name, value, faults.badBlockChecksum, error);
    if (name == "short-block") return repeat(name, value, faults.shortBlock, error);
    if (name == "status-167") {
        faults.blockStatus = kBlockFailed;
        return true;
    }
    if (name == "block-status") {
        uint32_t v = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
        if (value.empty() || ec != std::errc() || end != value.data() + value.size() || v > 255) {
            error = "block-status wants a number from 0 to 255, not '" + std::string(value) + "'";
            return false;
        }
        faults.blockStatus = static_cast<uint8_t>(v);
        return true;
    }
    error = "no fault named '" + std::string(name) + "'";
    return false;
}

bool applyFaultSetting(std::string_view desc, AdapterFaults& faults, std::string& error) {
    const size_t eq = desc.find('=');
    if (eq == std::string_view::npos) {
        for (const FaultOption& f : kFaults) {
            if (f.name == desc && !f.argument.empty()) {
                error = std::string(desc) + " wants a value: " + std::string(desc) + "=" +
                        std::string(f.argument);
                return false;
            }
        }
        return applyFaultOption(desc, {}, faults, error);
    }
    return applyFaultOption(desc.substr(0, eq), desc.substr(eq + 1), faults, error);
}

} // namespace kestro
