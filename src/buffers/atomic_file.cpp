#include "buffers/atomic_file.h"

#include "buffers/hex_reader.h"
#include "buffers/image_state.h"
#include "buffers/path_parts.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

namespace {

struct Resolved {
    std::string path;     // where the bytes go; empty for a chain that never ends
    bool viaLink = false; // reached through at least one symbolic link
};

// Saving through a symbolic link replaces the file it points to, not the link; a
// dangling link gets its target created, as writing through it would.
Resolved resolveLink(std::string path) {
    Resolved r;
    for (int hop = 0; hop < 40; ++hop) { // the kernel's own limit on a chain
        struct stat sb {};
        if (::lstat(path.c_str(), &sb) != 0 || !S_ISLNK(sb.st_mode)) {
            r.path = path;
            return r;
        }
        char to[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), to, sizeof to);
        if (n <= 0 || static_cast<size_t>(n) == sizeof to) {
            r.path = path;
            return r;
        }
        const std::string next(to, static_cast<size_t>(n));
        path = next.front() == '/' ? next : splitPath(path).dir + next;
        r.viaLink = true;
    }
    return r;
}

// The rename only asks for the folder; a target this user could not have opened for
// writing, or one that is no regular file (a FIFO, a device, a folder), is refused as
// a plain create-or-truncate would refuse it.
const char* whyNotReplaceable(const std::string& path, const struct stat& sb) {
    if (S_ISDIR(sb.st_mode)) return std::strerror(EISDIR);
    if (!S_ISREG(sb.st_mode)) return "not a regular file";
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return std::strerror(errno);
    return nullptr;
}

bool sizeAtMost(const std::string& path, off_t limit) {
    struct stat sb {};
    return ::stat(path.c_str(), &sb) == 0 && sb.st_size <= limit;
}

} // namespace

bool linkTargetIsIntelHex(const std::string& path) {
    return sizeAtMost(path, 0) || fileReadsAsIntelHex(path);
}

bool linkTargetIsImage(const std::string& path) { return sizeAtMost(path, kProgramBufferSize); }

// A raw data memory is as long as the memory, a power of two.
bool linkTargetIsDataFile(const std::string& path) {
    struct stat sb {};
    if (::stat(path.c_str(), &sb) != 0) return false;
    const auto size = static_cast<uint64_t>(sb.st_size);
    return (size <= kDataBufferSize && (size & (size - 1)) == 0) || linkTargetIsIntelHex(path);
}

bool linkTargetIsFuseFile(const std::string& path) { return sizeAtMost(path, 2); }

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    finished_ = false;
}

bool AtomicFile::fail(std::string why) {
    reason_ = std::move(why);
    discard();
    return false;
}

bool AtomicFile::failErrno() { return fail(std::strerror(errno)); }

bool AtomicFile::create(const std::string& target, LinkTargetTest test) {
    discard();
    failed_ = false;
    reason_.clear();
    const Resolved r = resolveLink(target);
    target_ = r.path.empty() ? target : r.path;
    if (r.path.empty()) return fail(std::strerror(ELOOP));
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists) {
        if (const char* why = whyNotReplaceable(target_, old)) return fail(why);
        const bool recognised = test ? test(target_) : old.st_size == 0;
        if (r.viaLink && !recognised) return fail("a link to a file of another kind");
    }
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
        if (errno != EEXIST) return failErrno();
    }
    return failErrno();
}

void AtomicFile::write(const void* bytes, size_t size) {
    if (fd_ < 0 || failed_ || finished_) {
        failed_ = true;
        return;
    }
    const auto* p = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) reason_ = std::strerror(errno);
            failed_ = true;
            return;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
}

bool AtomicFile::finish() {
    if (finished_) return true;
    if (fd_ < 0 || failed_) return fail(reason_.empty() ? std::strerror(EIO) : reason_);
    if (::fsync(fd_) != 0) return failErrno();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return failErrno();
    finished_ = true;
    return true;
}

bool AtomicFile::replace() {
    if (!finished_) return false;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return failErrno();
    temp_.clear();
    finished_ = false;
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
