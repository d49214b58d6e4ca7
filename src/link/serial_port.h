#pragma once
// The seam to the serial line: a real termios port or the in-process adapter double.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestro {

class SerialPort {
public:
    virtual ~SerialPort() = default;

    enum class OpenStatus { Ok, OpenFailed, GetStateFailed, SetStateFailed };
    struct OpenResult {
        OpenStatus status = OpenStatus::Ok;
        int error = 0;
    };

    // Opens the port named "COM1".."COM4" for this program alone, sets 19200 8N1 raw,
    // raises DTR and drops RTS. `error` is the errno of the step that failed.
    virtual OpenResult open(const std::string& portName) = 0;
    // Opens again the device the last open() resolved its name to, whether that open
    // succeeded or not; fails when there was none. Retries use it: a name may by now
    // resolve to another device (a simulator's link gone, a link changed), and bytes
    // meant for the adapter must not go there.
    virtual OpenResult reopen() = 0;
    // Restores the settings found at open and closes; false when closing failed.
    virtual bool close() = 0;
    virtual bool writeByte(uint8_t b) = 0;
    // Bytes that need no echo, one after the other; the count written. A port may
    // hand them over in one go.
    virtual size_t write(const uint8_t* bytes, size_t n) {
        size_t k = 0;
        while (k < n && writeByte(bytes[k])) ++k;
        return k;
    }
    // Reads up to n bytes: 2500 + 20 n ms in all, and returns early when more than
    // 120 ms pass between two bytes. Returns the count received.
    virtual size_t read(uint8_t* buf, size_t n) = 0;
};

} // namespace kestro
