#include "sim/pty_port.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kestro {

namespace {
std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }
} // namespace

PtyPort::~PtyPort() {
    unpublish();
    close();
}

bool PtyPort::open(std::string& error) {
    const auto fail = [&](const std::string& what) {
        error = errnoText(what);
        close();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    char name[PATH_MAX];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0)
        return fail("pty");
    slavePath_ = name;
    // Raw before anyone can open the slave: no echo, no line editing, no CR/LF mapping.
    termios t{};
    ::tcgetattr(master_, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&t, B19200);
    if (::tcsetattr(master_, TCSANOW, &t) != 0) return fail("tcsetattr");
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail(name);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

void PtyPort::close() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

bool PtyPort::publish(const std::filesystem::path& link, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(link.parent_path(), ec);
    auto tmp = link;
    tmp += ".new." + std::to_string(::getpid());
    std::filesystem::remove(tmp, ec);
    if (::symlink(slavePath_.c_str(), tmp.c_str()) != 0) {
        error = errnoText(tmp.string());
        return false;
    }
    if (::rename(tmp.c_str(), link.c_str()) != 0) {
        error = errnoText(link.string());
        std::filesystem::remove(tmp, ec);
        return false;
    }
    link_ = link;
    return true;
}

void PtyPort::unpublish() {
    if (link_.empty()) return;
    std::error_code ec;
    if (std::filesystem::read_symlink(link_, ec) == slavePath_) std::filesystem::remove(link_, ec);
    link_.clear();
}

bool PtyPort::held() const {
    int exclusive = 0;
    return slave_ >= 0 && ::ioctl(slave_, TIOCGEXCL, &exclusive) == 0 && exclusive;
}

void PtyPort::clearStaleExclusive() {
    if (!held()) return;
    if (::flock(slave_, LOCK_EX | LOCK_NB) != 0) return; // still held
    ::ioctl(slave_, TIOCNXCL);
    ::flock(slave_, LOCK_UN);
}

} // namespace kestro
