#include "support/child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kestro::test {

Child::Child(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, const std::string& input) {
    int out[2], err[2], in[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string kv = *e;
        if (!env.count(kv.substr(0, kv.find('=')))) envText.push_back(kv);
    }
    for (const auto& [k, v] : env) envText.push_back(k + "=" + v);
    std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&pid_, program.c_str(), &fa, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    ::close(err[1]);
    ::close(in[0]);
    // Small inputs fit the pipe; the end of input follows at once.
    if (!input.empty()) (void)!::write(in[1], input.data(), input.size());
    ::close(in[1]);
    out_ = out[0];
    err_ = err[0];
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
}

void Child::pump(int timeoutMs) {
    pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (::poll(p, 2, timeoutMs) <= 0) return;
    char buf[4096];
    for (int i = 0; i < 2; ++i) {
        if (!(p[i].revents & (POLLIN | POLLHUP))) continue;
        const ssize_t n = ::read(p[i].fd, buf, sizeof buf);
        if (n > 0) (i == 0 ? r_.out : r_.err).append(buf, static_cast<size_t>(n));
        else if (n == 0) {
            ::close(p[i].fd);
            (i == 0 ? out_ : err_) = -1;
        }
    }
}

bool Child::waitForErr(const std::function<bool(const std::string&)>& ready) {
    while (out_ >= 0 || err_ >= 0) {
        if (ready(r_.err)) return true;
        pump(100);
    }
    return ready(r_.err);
}

ChildResult Child::finish() {
    while (out_ >= 0 || err_ >= 0) pump(1000);
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_) {
        r_.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid_ = -1;
    }
    return r_;
}

ChildResult runChild(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env, const std::string& input) {
    Child c(program, args, env, input);
    return c.finish();
}

} // namespace kestro::test
