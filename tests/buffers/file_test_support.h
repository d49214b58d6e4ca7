#pragma once
// Helpers for the file tests: a scratch folder, whole-file reads and writes, byte
// checks, Intel HEX records with their checksums, and a selected device.

#include "devices/catalogue.h"
#include "session/state.h"
#include "support/chips.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kestro::test {

using Bytes = std::vector<uint8_t>;

// A scratch folder, removed with everything in it.
struct TempDir {
    std::string path = [] {
        std::string p = "/tmp/kestro-test-XXXXXX";
        if (!::mkdtemp(p.data())) throw std::runtime_error("no scratch folder");
        return p;
    }();
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::vector<std::string> names() const { // sorted
        std::vector<std::string> n;
        for (const auto& e : std::filesystem::directory_iterator(path))
            n.push_back(e.path().filename());
        std::sort(n.begin(), n.end());
        return n;
    }
};

// `bytes` is a std::string or Bytes.
template <class B> void writeFile(const std::string& path, const B& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
inline std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}
inline Bytes readBytes(const std::string& path) {
    const std::string s = readFile(path);
    return {s.begin(), s.end()};
}

// Runs `body`, which may open the FIFOs in `fifos` for reading. If it has not returned
// after a second, it is taken to be stuck in such an open: a writer comes and goes on
// each FIFO until it returns, so the test ends instead of hanging. False then.
inline bool returnsAtOnce(const std::vector<std::string>& fifos, const std::function<void()>& body) {
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::atomic<bool> rescued{false};
    std::thread watchdog([&] {
        std::unique_lock lock(m);
        std::chrono::milliseconds wait(1000);
        while (!cv.wait_for(lock, wait, [&] { return done; })) {
            rescued = true;
            wait = std::chrono::milliseconds(100);
            for (const auto& f : fifos) { // fails at once while nobody reads
                const int fd = ::open(f.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) ::close(fd);
            }
        }
    });
    body();
    {
        std::lock_guard lock(m);
        done = true;
    }
    cv.notify_one();
    watchdog.join();
    return !rescued;
}

// Bytes from..to of an array, a vector or a span.
template <class C> Bytes slice(const C& c, size_t from, size_t to) {
    return {c.begin() + from, c.begin() + to};
}
// True when bytes from..to of `c` are all 0xFF.
template <class C> bool erased(const C& c, size_t from = 0, size_t to = SIZE_MAX) {
    return std::all_of(c.begin() + from, c.begin() + std::min(to, c.size()),
                       [](uint8_t v) { return v == 0xFF; });
}
// Each (offset, value) pair holds in `c`.
template <class C> void expectAt(const C& c, std::initializer_list<std::pair<uint32_t, int>> at) {
    for (const auto& [offset, value] : at)
        EXPECT_EQ(c[offset], value) << "at " << std::hex << offset;
}

// One record without its line end.
inline std::string record(uint8_t type, uint16_t address, const Bytes& data) {
    Bytes b = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
               static_cast<uint8_t>(address), type};
    b.insert(b.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (uint8_t v : b) sum = static_cast<uint8_t>(sum + v);
    b.push_back(static_cast<uint8_t>(-sum));
    std::string s = ":";
    for (uint8_t v : b) s += {"0123456789ABCDEF"[v >> 4], "0123456789ABCDEF"[v & 15]};
    return s;
}
inline const std::string kEndRecord = ":00000001FF";
// Records joined by `lineEnd`, the end record last, with a final line end.
inline std::string hexFile(std::initializer_list<std::string> records,
                           const std::string& lineEnd = "\n") {
    std::string s;
    for (const auto& r : records) s += r + lineEnd;
    return s + kEndRecord + lineEnd;
}

inline SelectedDevice deviceAt(int index) {
    SelectedDevice d;
    d.index = index;
    catalogueLookup(d);
    return d;
}

// Deterministic filler bytes.
inline Bytes pattern(size_t n, uint32_t seed) {
    Bytes v(n);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : v) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    return v;
}

} // namespace kestro::test
