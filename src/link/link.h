#pragma once
// link/ owns the way to the adapter: the SerialPort seam and its termios port, this
// Link, the wire protocol, the handshake, and the link and adapter state.
//
// The adapter link: the serial port with the link state beside it. It moves bytes with
// the port-open checks and the read status the protocol relies on, runs the echoed
// exchange and sends command packets. It shows nothing: every failure comes back as a
// code for the caller to report once.

#include "devices/device_state.h"
#include "link/link_state.h"
#include "link/protocol.h"
#include "link/serial_port.h"

#include <cstdint>
#include <span>
#include <string>

namespace kestro {

// Why an exchange with the adapter, or an operation over it, did not complete.
enum class Fault : uint8_t {
    None,
    EchoDiffered,  // "Communication Error !"
    Interrupted,   // operator interrupt
    Timeout,       // "Serial Communication Timeout Error !"
    Checksum,      // "Checksum Error !"
    Communication, // the adapter answered something else, or a block failed six times
    Programming,   // status 167: the chip failed
    ChipFailed,    // status 167 in Program, which shows it as "Communication Error !"
    Version,       // "Incorrect PC Program Version !"
    PortOpen,      // the port could not be opened (the text names the port)
    PortClose,     // "COM Close Error !"
    ContentDiffers, // verify found a difference
    NotBlank,      // blank check found a programmed byte
    Declined,      // identification said no
};

// The message a fault is shown with; empty where the fault is shown otherwise.
const char* faultMessage(Fault f);
// The link result code of a fault (and back): 0 ok, 1 echo differed, 2 interrupt, 3 time-out.
Fault faultOf(LinkResult r);

// Bytes as the traces show them: two upper-case hex digits each, one space between.
std::string hexBytes(const uint8_t* bytes, size_t n);

// The 8-bit sum modulo 256 the adapter protects its replies with.
uint8_t byteSum(std::span<const uint8_t> bytes);

// Text of a failed open: "Could Not Use the 'COM1' Serial Port!" and the state errors.
std::string openFailureText(const SerialPort::OpenResult& r, const std::string& portName);

class Link {
public:
    Link(SerialPort& port, LinkState& state) : port_(port), st_(state) {}
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    LinkState& state() { return st_; }
    bool isOpen() const { return st_.portOpen; }

    // Opens the port named in the state; Ok at once when it is open already. With
    // `sameDevice` the device the name led to at the last open is opened again
    // (block retries); without, the name is resolved anew.
    SerialPort::OpenResult open(bool sameDevice = false);
    // False when closing failed ("COM Close Error !"); true when closed or not open.
    bool close();

    bool writeByte(uint8_t b);    // false when closed or the write failed
    size_t write(std::span<const uint8_t> bytes); // not echoed; the count written
    uint8_t readByte();           // sets the read status (kReadOk / kReadNothing)
    // One reply byte: kLinkOk, or kLinkTimeout when nothing came.
    LinkResult readReply(uint8_t& out);
    size_t readBlock(uint8_t* buf, size_t n); // counted read; the count received
    LinkResult exchange(uint8_t b); // echoed byte: kLinkOk, kLinkEchoDiffered, kLinkTimeout

    // Sends the 17-byte packet for the device, each byte echoed. Outside the hardware
    // test the per-device serial parameters are recomputed for the command first.
    LinkResult sendPacket(const SelectedDevice& dev, Command command, bool hardwareTest);

private:
    SerialPort& port_;
    LinkState& st_;
};

} // namespace kestro
