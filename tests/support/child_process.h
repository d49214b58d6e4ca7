#pragma once
// Running a program of this build as a child: arguments, extra environment, stdin
// text; its exit status and both output streams come back.

#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kestro::test {

struct ChildResult {
    int status = -1; // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

class Child {
public:
    Child(const std::string& program, const std::vector<std::string>& args,
          const std::map<std::string, std::string>& env = {}, const std::string& input = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    // Reads the outputs until `ready` holds for stderr so far, or the child ends.
    bool waitForErr(const std::function<bool(const std::string&)>& ready);
    // Reads everything and waits for the end.
    ChildResult finish();

private:
    void pump(int timeoutMs);
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    ChildResult r_;
};

// Runs it to its end.
ChildResult runChild(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env = {}, const std::string& input = {});

} // namespace kestro::test
