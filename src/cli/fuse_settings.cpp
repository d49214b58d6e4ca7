#include "cli/fuse_settings.h"

namespace kestro::cli {

namespace {

// The layouts do not yet decode and encode settings by name without a panel.
class PendingFuseSettings : public FuseSettings {
public:
    bool available() const override { return false; }
    bool set(State&, std::string_view, std::string_view, std::string& error) override {
        return notYet("--fuse", error);
    }
    bool setConfiguration(State&, std::string_view, std::string& error) override {
        return notYet("--config", error);
    }
    bool setLockLevel(State&, std::string_view, std::string& error) override {
        return notYet("--lock", error);
    }

private:
    static bool notYet(const char* option, std::string& error) {
        error = std::string(option) + " is not available yet";
        return false;
    }
};

} // namespace

std::unique_ptr<FuseSettings> layoutFuseSettings() { return std::make_unique<PendingFuseSettings>(); }

} // namespace kestro::cli
