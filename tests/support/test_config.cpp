#include "support/test_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace kestro::test {

namespace {

std::filesystem::path g_home;

class FreshConfigFolder : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        char dir[] = "/tmp/kestro-test-XXXXXX";
        if (!::mkdtemp(dir)) std::abort();
        g_home = dir;
        ::setenv("XDG_CONFIG_HOME", dir, 1);
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::error_code ec;
        std::filesystem::remove_all(g_home, ec);
    }
};

const bool g_registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshConfigFolder);
    return true;
}();

} // namespace

std::filesystem::path testConfigDir() { return g_home / "kestro"; }

void writeSettingsFile(const std::string& text) {
    std::filesystem::create_directories(testConfigDir());
    std::ofstream(testConfigDir() / "kestro.cfg", std::ios::binary) << text;
}

std::string readSettingsFile() {
    std::ifstream in(testConfigDir() / "kestro.cfg", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace kestro::test
