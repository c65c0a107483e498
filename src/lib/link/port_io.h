#pragma once

#include <cstdint>

namespace kpx {

// Byte access to I/O ports at their PC addresses (0x378 the data register of the first parallel
// port, 0x379 its status register). The real one drives a parallel port through the kernel; the
// tests and --simulate put an EEPROM simulator behind it. A port that is not there reads 0xFF and
// ignores what is written, as an empty ISA address does.
class PortIo {
  public:
    virtual ~PortIo() = default;
    virtual std::uint8_t In(std::uint16_t port) = 0;
    virtual void Out(std::uint16_t port, std::uint8_t value) = 0;
    // The ports are done with until the next access: another driver (the printer's) may have
    // them meanwhile.
    virtual void Release() {}
};

}  // namespace kpx
