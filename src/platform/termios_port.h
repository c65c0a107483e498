#pragma once

#include <map>
#include <string>

#include "link/serial_port.h"
#include "platform/port_map.h"

namespace kpx {

// SerialPort on the tty a COM number maps to: raw 9600 8N1, no flow control, no echo; the modem
// lines are left as the driver has them. An open port is this program's alone: sio_open gives
// kInUse while another program holds it. A device that has hung up or gone away gives negative
// results, and its descriptor is given back at once.
// Why a path given as the board's port cannot be one, before any transfer starts (whose only
// word would be "Read error!"): "PATH: no such port", "PATH is not a serial port" (a file, a
// folder, /dev/null), "PATH is in use by another program", "PATH cannot be opened: why". Empty
// for a terminal device that opens.
std::string SerialPortProblem(const std::string& path);
std::string PortInUse(const std::string& path);

class TermiosSerialPort : public SerialPort {
  public:
    explicit TermiosSerialPort(PortMap& map = PortMap::Default()) : map_(map) {}
    ~TermiosSerialPort() override;
    TermiosSerialPort(const TermiosSerialPort&) = delete;
    TermiosSerialPort& operator=(const TermiosSerialPort&) = delete;

    int sio_open(int port) override;
    int sio_ioctl(int port, int baud, int mode) override;
    int sio_flush(int port, int func) override;
    int sio_lstatus(int port) override;
    int sio_iqueue(int port) override;
    int sio_read(int port, std::uint8_t* buffer, int len) override;
    int sio_write(int port, const std::uint8_t* buffer, int len) override;
    int sio_getch(int port) override;
    int sio_close(int port) override;
    bool WaitInput(int port, int minBytes, int timeoutMs) override;

    // Holds the port for this object's life, so that no other program slips in between the
    // opens and closes of one command's transfers; the link's own opens share the hold. 0, or
    // kInUse, kBadPort, kSystemError.
    int Keep(int port);

    static constexpr int kBadPort = -4;
    static constexpr int kHungUp = -5;
    static constexpr int kSystemError = -6;
    static constexpr int kInUse = -7;

  private:
    // The descriptor of an open, healthy port; a hung-up one is closed and forgotten.
    int Healthy(int port);
    int Release(int port, int fd);

    PortMap& map_;
    std::map<int, int> fds_;
    std::map<int, int> kept_;  // port -> the descriptor holding it
};

}  // namespace kpx
