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

// Saving through a symbolic link replaces the file it points to, not the link.
std::string resolveLink(const std::string& target) {
    struct stat sb {};
    if (::lstat(target.c_str(), &sb) != 0 || !S_ISLNK(sb.st_mode)) return target;
    char* real = ::realpath(target.c_str(), nullptr);
    if (real == nullptr) return target;
    std::string r(real);
    std::free(real);
    return r;
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
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return false;
    static unsigned counter = 0;
    const std::string folder = splitPath(target_).dir;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + ".kestro-" + std::to_string(::getpid()) + "-" +
                           std::to_string(++counter) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fd_ = fd;
            temp_ = std::move(name);
            // A replaced file keeps its permissions.
            if (exists) ::fchmod(fd_, old.st_mode & 07777);
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
