#include "buffers/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace kestro {

int openRegularFile(const std::string& path) {
    // Looked at before the open, so no device is ever opened (opening a serial port
    // alone raises its modem lines).
    struct stat sb {};
    if (::stat(path.c_str(), &sb) != 0 || !S_ISREG(sb.st_mode)) return -1;
    // Whatever replaced the file meanwhile must not block the open either.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool readRegularFile(const std::string& path, std::vector<uint8_t>& out, size_t limit) {
    out.clear();
    const int fd = openRegularFile(path);
    if (fd < 0) return false;
    uint8_t buf[1 << 15];
    while (out.size() < limit) {
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, limit - out.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.insert(out.end(), buf, buf + n);
    }
    ::close(fd);
    return true;
}

} // namespace kestro
