#pragma once
// A pseudo-terminal standing in for a serial port: the program opens its slave side
// like any serial device, through a COMn link in the config folder. Whatever answers
// on the master side (the adapter double, the simulated board) shares this part.

#include <filesystem>
#include <string>

namespace kestro {

class PtyPort {
  public:
    PtyPort() = default;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;
    ~PtyPort(); // removes the link and closes the pty

    // Creates the pty, puts it in raw mode and keeps a slave descriptor of its own, so
    // the master never sees a hang-up while the program has the port closed. The
    // master is non-blocking: replies go out without waiting, and a program that is
    // not reading loses them, as on a real line.
    bool open(std::string& error);
    void close();
    int masterFd() const { return master_; }
    int slaveFd() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }

    // Makes `link` (created with its folder) a symbolic link to the slave; replaces an
    // old link in one step.
    bool publish(const std::filesystem::path& link, std::string& error);
    // Removes the link, if it still points at this pty.
    void unpublish();

    // Whether a program has the port open: it makes it exclusive (TIOCEXCL) at once,
    // and clears that when it closes. Only looks: the lock a program takes is left
    // alone, so no open can fail for it.
    bool held() const;

    // A program killed while it held the port leaves TIOCEXCL set: the flag outlives
    // its close because this side keeps the pty open, and every non-root opener after
    // it is refused. The holder of the port also holds a flock on it; once that lock
    // is free, the holder is gone and the flag is cleared.
    void clearStaleExclusive();

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::filesystem::path link_;
};

} // namespace kestro
