#include "buffers/atomic_file.h"

#include "buffers/path_parts.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

namespace {

// Saving through a symbolic link replaces the file it points to, not the link; a
// dangling link gets its target created, as writing through it would. Empty for a
// chain that never ends.
std::string resolveLink(std::string path) {
    for (int hop = 0; hop < 40; ++hop) { // the kernel's own limit on a chain
        struct stat sb {};
        if (::lstat(path.c_str(), &sb) != 0 || !S_ISLNK(sb.st_mode)) return path;
        char to[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), to, sizeof to);
        if (n <= 0 || static_cast<size_t>(n) == sizeof to) return path;
        const std::string next(to, static_cast<size_t>(n));
        path = next.front() == '/' ? next : splitPath(path).dir + next;
    }
    return {};
}

// The rename only asks for the folder; a target this user could not have opened for
// writing, or one that is no regular file (a FIFO, a device, a folder), is refused as
// a plain create-or-truncate would refuse it.
bool mayReplace(const std::string& path, const struct stat& sb) {
    return S_ISREG(sb.st_mode) && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

bool AtomicFile::create(const std::string& target) {
    discard();
    failed_ = false;
    target_ = resolveLink(target);
    if (target_.empty()) return false;
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && !mayReplace(target_, old)) return false;
    static unsigned counter = 0;
    const std::string folder = splitPath(target_).dir;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + ".kestro-" + std::to_string(::getpid()) + "-" +
                           std::to_string(++counter) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fd_ = fd;
            temp_ = std::move(name);
            // A replaced file keeps its owner and group where this user may give them,
            // and its permissions (set last: a change of owner clears set-id bits).
            if (exists) {
                [[maybe_unused]] const bool kept = ::fchown(fd_, old.st_uid, old.st_gid) == 0 ||
                                                   ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) == 0;
                ::fchmod(fd_, old.st_mode & 07777);
            }
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

void AtomicFile::write(const void* bytes, size_t size) {
    if (fd_ < 0 || failed_) {
        failed_ = true;
        return;
    }
    const auto* p = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed_ = true;
            return;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
}

bool AtomicFile::commit() {
    if (fd_ < 0 || failed_ || ::fsync(fd_) != 0) {
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    temp_.clear();
    // Make the new directory entry durable too; a failure here loses nothing.
    const std::string folder = splitPath(target_).dir;
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace kestro
