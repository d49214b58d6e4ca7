#pragma once
// Fuse, configuration and lock settings from the command line, by the names the fuse
// panel shows. The panel's layouts are the one place that knows how a setting maps
// onto the fuse bytes; this is the seam the command line asks them through, so no
// layout is written a second time here.

#include "fuses/layout_desc.h"
#include "session/state.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::cli {

class FuseSettings {
public:
    virtual ~FuseSettings() = default;
    // --fuse NAME=VALUE: one setting of the selected device's layout into the fuse bytes.
    virtual bool set(State& st, std::string_view name, std::string_view value, std::string& error) = 0;
    // --config HEX: the configuration word or bytes as the panel shows them. Bits the
    // layout fixes are said in `notice` (empty when none was changed).
    virtual bool setConfiguration(State& st, std::string_view hex, std::string& error,
                                  std::string& notice) = 0;
    // --lock LEVEL: an entry of the layout's lock list, which gives the lock mode.
    virtual bool setLockLevel(State& st, std::string_view level, std::string& error) = 0;
    // The settings taken, onto the values the fuse bytes show (what a user does to the
    // filled panel before it is read back).
    virtual void apply(int device, FuseValues& values) const = 0;
};

// The names --fuse takes for a device, one line each: NAME, then what it takes.
std::vector<std::string> fuseSettingNames(int device);

// What the layouts offer now.
std::unique_ptr<FuseSettings> layoutFuseSettings();

} // namespace kestro::cli
