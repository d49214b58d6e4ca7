#pragma once
// Helpers for the file tests: a scratch folder, whole-file reads and writes, Intel
// HEX records with their checksums, and a selected device.

#include "devices/catalogue.h"
#include "shell/state.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace kestro::test {

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/kestro-test-XXXXXX";
        const char* d = ::mkdtemp(tmpl);
        path_ = d ? d : "/tmp";
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    // Names in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> n;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

inline std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

inline std::vector<uint8_t> readBytes(const std::string& path) {
    const std::string s = readFile(path);
    return std::vector<uint8_t>(s.begin(), s.end());
}

// One record without its line end.
inline std::string record(uint8_t type, uint16_t address, const std::vector<uint8_t>& data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::vector<uint8_t> b = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                              static_cast<uint8_t>(address), type};
    b.insert(b.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (uint8_t v : b) sum = static_cast<uint8_t>(sum + v);
    b.push_back(static_cast<uint8_t>(-sum));
    std::string s = ":";
    for (uint8_t v : b) {
        s += kDigits[v >> 4];
        s += kDigits[v & 15];
    }
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
inline std::vector<uint8_t> pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : v) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    return v;
}

// Device indexes used by the tests.
inline constexpr int kAt89c51 = 3, kAt89s53 = 12, kAt89s8252 = 13, kAt90s2313 = 15, kAttiny11 = 16;
inline constexpr int kPic12c508 = 46, kPic16c54a = 50, kPic16f84 = 68, kPic16f877 = 87;
inline constexpr int kPic18f452 = 98, kPic18f6620 = 100;
inline constexpr int k24c02 = 121, k27c010 = 161, k29f800 = 182;

} // namespace kestro::test
