#pragma once
// Character input for the Intel HEX reader: one character at a time through a fixed
// buffer, as a text-mode stream gives it (a CR directly before LF is part of the line
// end, any other CR is an ordinary character).

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestro {

class HexInput {
public:
    // Reads from an open descriptor, which stays owned by the caller.
    explicit HexInput(int fd) : fd_(fd) {}
    // Reads a text held in memory.
    explicit HexInput(std::span<const uint8_t> text)
        : cur_(text.data()), end_(text.data() + text.size()) {}
    HexInput(const HexInput&) = delete;
    HexInput& operator=(const HexInput&) = delete;

    static constexpr int kEof = -1;

    int get() {
        lastLine_ = line_;
        const int c = next();
        if (c == '\n') ++line_;
        last_ = c;
        return c;
    }

    // The line (from 1) of the character get() gave last; a line end belongs to the
    // line it ends, the end of the input to the line after the last line end.
    uint32_t lastLine() const { return lastLine_; }
    // get() found the end of the input.
    bool atEnd() const { return last_ == kEof; }

private:
    int next() {
        if (cur_ == end_ && !refill()) return kEof;
        const int c = *cur_++;
        if (c != '\r') return c;
        if (cur_ == end_ && !refill()) return c;
        if (*cur_ != '\n') return c;
        ++cur_;
        return '\n';
    }
    bool refill(); // false at the end of the input or on a read error

    uint32_t line_ = 1;
    uint32_t lastLine_ = 1;
    int last_ = 0;

    int fd_ = -1;
    const uint8_t* cur_ = nullptr;
    const uint8_t* end_ = nullptr;
    uint8_t buf_[1 << 15];
};

} // namespace kestro
