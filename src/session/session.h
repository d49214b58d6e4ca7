#pragma once
// session/ owns the state record, the settings file and the session.
//
// One session with the adapter, as every front end drives it: the port opened, the
// handshake made, a part selected among those the adapter serves, operations and the
// Process menu's chains run with the front end's reporter, the port closed. The front
// end keeps what is its own: how it tells things, its files and its controls.

#include "link/link.h"
#include "ops/chains.h"
#include "session/state.h"

#include <optional>

namespace kestro {

class Session {
public:
    Session(State& st, SerialPort& port, Reporter& report);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    State& state() { return st_; }
    // What the operations run over, for tests that speak the protocol byte by byte;
    // the front ends go through the calls below.
    Link& link() { return link_; }
    OpContext& context() { return ctx_; }

    // ---- the port named in the link state
    // Opens it; a failure is told through the reporter.
    bool openPort();
    // Opens it and tells nothing: the front end words a failure itself.
    SerialPort::OpenResult tryOpen();
    // Closes it; a failure is told and the port stays marked open.
    void closePort();
    // Close, then open the device last opened: a retry never goes to another device.
    void reopenPort();
    // Closes it, telling nothing.
    void close();
    bool isOpen() const { return link_.isOpen(); }

    // ---- the adapter and the part
    // The catalogue row of the device becomes the one the packets are built from,
    // nothing else changes (the handshake goes out for it).
    void lookUp(int device);
    // The handshake for the device the packets are built from: the adapter's
    // capabilities, served devices and information lines. Nothing is told.
    Fault handshake();
    // Whether the adapter serves the device.
    bool allowed(int device) const;
    // The first device the adapter serves; the unknown row when it serves none.
    int firstAllowed() const;
    // The device becomes the selected one: its row, cleared images in its view, no
    // marker area, no hardware test.
    void select(int device);

    // ---- what the Process menu offers for the selected part, and running it
    bool offers(ProcessCommand command) const;
    std::optional<ProcessCommand> programmingChain() const;
    void run(ProcessCommand command);
    // One memory moved alone; true when it was moved whole.
    bool run(MemoryChain chain);
    // The image a transfer reads into or writes from, as the view and part have it.
    TransferImage transferImage() const { return kestro::transferImage(ctx_); }

    // ---- the hardware test: the pattern on the pins until released
    bool sendTestPattern(const std::array<uint8_t, 3>& ports, DriveBytes drive);
    void releaseTestPattern();

private:
    bool serialAdapter() const { return st_.adapter.serialAdapter; }

    State& st_;
    Link link_;
    Reporter& report_;
    OpContext ctx_;
};

} // namespace kestro
