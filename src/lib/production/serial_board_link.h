#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/device_lister.h"
#include "link/serial_link.h"
#include "link/serial_transfers.h"
#include "production/production_line.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"

namespace kpx {

// Reads the pager's bytes first..last (an index into the result is the address) without a
// message box and without the transfers' long waits: each reply may take replyMs beyond the
// time its bytes need on the line. Nothing when no reply came, or a damaged one; *lost is set
// when the port itself failed (unplugged).
std::optional<std::vector<std::uint8_t>> PeekPager(SerialPort& port, int com, int first, int last,
                                                   int replyMs, Clock& clock, bool* lost);

// A serial board of the line on a port of its own.
class SerialBoardLink : public BoardLink {
  public:
    SerialBoardLink(BoardPort port, Clock& clock, UserDialogs& dialogs, LinkHost& host);

    PagerTransfers& transfers() override { return transfers_; }
    bool gone() const override { return link_.boardPort < 0 || lost_; }
    std::optional<std::vector<std::uint8_t>> Peek(int first, int last, int replyMs) override;

  private:
    // The board's port is known: the link never looks for one.
    class NoDevices : public DeviceLister {
      public:
        std::vector<std::string> GetDevInfo(const std::string&) override { return {}; }
    };

    BoardPort port_;
    Clock& clock_;
    NoDevices lister_;
    MemoryRegistry registryBackend_;
    RegistryAccess registry_{registryBackend_};
    NullEventPump pump_;
    SerialLink link_;
    SerialTransfers transfers_;
    bool lost_ = false;
};

}  // namespace kpx
