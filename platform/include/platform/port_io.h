#pragma once
// Byte-wide access to I/O ports, for the board drivers that talk to hardware directly.
//
// The hardware implementation needs /dev/port (and uses ioperm/inb/outb when the process may).
// A simulated bus with simulated boards takes its place when the environment variable
// OVF_SIMULATE names them (see simulated_boards.h).

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>

namespace platform {

class PortIo {
  public:
    virtual ~PortIo() = default;
    virtual uint8_t inByte(uint16_t port) = 0;
    virtual void outByte(uint16_t port, uint8_t value) = 0;
    // A 16-bit write: low byte to port, high byte to port + 1.
    virtual void outWord(uint16_t port, uint16_t value) = 0;
    // String input: count bytes read from the same port.
    virtual void inBytes(uint16_t port, uint8_t* dst, size_t count);
    // The base address of the first parallel port, when one is known.
    virtual std::optional<uint16_t> parallelPortBase() = 0;
};

// The start address of the "parport0" range in a /proc/ioports listing.
std::optional<uint16_t> parportBaseFromIoports(std::istream& listing);

// Port access through /dev/port; null when the device cannot be opened.
std::unique_ptr<PortIo> openHardwarePortIo();

// The simulated bus named by OVF_SIMULATE when it is set and non-empty, else the hardware;
// null when neither is available (port access impossible).
std::unique_ptr<PortIo> openPortIoFromEnvironment();

}  // namespace platform
