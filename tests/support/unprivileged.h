#pragma once
// Runs a piece of a test as an ordinary user: in a child process that drops to
// "nobody" when the tests run as root (as in CI), or as the user running them.
// Permission checks are void for root, so this is the only way to see them work.

#include <functional>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

namespace kestro::test {

struct Unprivileged {
    uid_t uid;
    gid_t gid;

    // Who the child will be; nothing when root has no "nobody" to become.
    static std::optional<Unprivileged> find() {
        if (::geteuid() != 0) return Unprivileged{::geteuid(), ::getegid()};
        const passwd* pw = ::getpwnam("nobody");
        if (pw == nullptr || pw->pw_uid == 0) return std::nullopt;
        return Unprivileged{pw->pw_uid, pw->pw_gid};
    }

    // Runs `body` as that user; gives back what it wrote into its report (empty:
    // all went as expected), or nothing when privileges could not be dropped.
    std::optional<std::string> run(const std::function<void(std::string& report)>& body) const {
        int out[2];
        if (::pipe(out) != 0) return std::nullopt;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(out[0]);
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 ||
                                     ::setresgid(gid, gid, gid) != 0 ||
                                     ::setresuid(uid, uid, uid) != 0))
                ::_exit(77);
            std::string report;
            body(report);
            const ssize_t w = ::write(out[1], report.data(), report.size());
            ::_exit(w == static_cast<ssize_t>(report.size()) ? 0 : 1);
        }
        ::close(out[1]);
        std::string report;
        char buf[512];
        for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
            report.append(buf, static_cast<size_t>(n));
        ::close(out[0]);
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child) return std::nullopt;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return std::nullopt;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += "\nthe child did not finish";
        return report;
    }
};

} // namespace kestro::test
