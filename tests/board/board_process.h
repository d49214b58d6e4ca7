#pragma once
// kestro-board and kestro-cli as the end-to-end tests run them: the board on COM1 of
// the test's own config folder, saving its chip beside it, and the program against it.

#include "devices/catalogue.h"
#include "link/port_path.h"
#include "support/child_process.h"
#include "support/test_config.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace kestro::board_test {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

inline Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline fs::path writeFile(const std::string& name, const Bytes& bytes) {
    const fs::path path = test::testConfigDir().parent_path() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline Bytes randomImage(size_t n, const std::string& seed) {
    std::seed_seq seq(seed.begin(), seed.end());
    std::mt19937 random(seq);
    Bytes v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(random());
    return v;
}

// kestro-board's pattern memory: byte i holds i ^ (i >> 8).
inline Bytes pattern(size_t n) {
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i ^ (i >> 8));
    return v;
}

inline size_t sizeOf(const std::string& part) { return chipRow(*findDeviceByName(part)).dataSize; }

// kestro-board on COM1 of the test's config folder, saving its chip beside it.
class BoardProcess {
  public:
    explicit BoardProcess(const std::string& chip, std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--port", "COM1",        "--chip",
                                      chip,     "--save-chip", prefix_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        child_ = std::make_unique<test::Child>(KESTRO_BOARD_PROGRAM, args);
        for (int i = 0; i < 500 && !fs::exists(portLinkPath("COM1")); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(fs::exists(portLinkPath("COM1"))) << "kestro-board did not come up";
    }
    ~BoardProcess() {
        if (child_) stop();
    }
    test::ChildResult stop() {
        ::kill(child_->pid(), SIGTERM);
        auto r = child_->finish();
        child_.reset();
        return r;
    }
    Bytes chip() const { return saved(".mem"); }
    Bytes saved(const std::string& extension) const {
        return readFile(prefix_.string() + extension);
    }

  private:
    fs::path prefix_ = test::testConfigDir().parent_path() / "chip";
    std::unique_ptr<test::Child> child_;
};

struct Run {
    test::ChildResult result;
    double seconds;
};

inline Run cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"-P", "COM1"});
    const auto t0 = Clock::now();
    auto r = test::runChild(KESTRO_CLI_PROGRAM, args);
    return {r, std::chrono::duration<double>(Clock::now() - t0).count()};
}

// Ends the board and checks it saw no fault.
inline Bytes stopCleanly(BoardProcess& board) {
    const auto r = board.stop();
    EXPECT_EQ(r.status, 0) << "kestro-board: " << r.err;
    return board.chip();
}

// Without the built firmware (KESTRO_FIRMWARE off) there is no board to run.
class Board : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef KESTRO_FIRMWARE_BUILT
        GTEST_SKIP() << "the firmware is not built";
#endif
    }
};

} // namespace kestro::board_test
