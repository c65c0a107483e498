#pragma once

#include <algorithm>
#include <set>

#include "image/default_image.h"
#include "link/parallel_link.h"
#include "link/parallel_transfers.h"
#include "sim/eeprom_simulator.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace kpx::testing {

// Records what goes to the ports and can cut the memory off after a number of data writes.
class TappedPort : public PortIo {
  public:
    explicit TappedPort(sim::EepromSimulator& memory) : memory_(memory) {}
    std::uint8_t In(std::uint16_t port) override { return memory_.In(port); }
    void Out(std::uint16_t port, std::uint8_t value) override {
        if (port == kLptBases[0]) dataValues.insert(value);
        if (++writes == failAfter) memory_.SetFault({sim::EepromFault::NeverAck});
        memory_.Out(port, value);
    }
    void Release() override { memory_.Release(); }

    std::set<std::uint8_t> dataValues;
    long writes = 0;
    long failAfter = -1;  // from this data write on the memory stops answering

  private:
    sim::EepromSimulator& memory_;
};

// The default image in the memory's first kilobyte, the rest blank.
inline sim::EepromMemory MemoryWith(const PagerImage& image) {
    sim::EepromMemory m;
    m.fill(0xFF);
    std::copy(image.bytes().begin(), image.bytes().end(), m.begin());
    return m;
}

inline PagerImage ImageIn(const sim::EepromMemory& m) {
    PagerImage image;
    std::copy_n(m.begin(), kImageSize, image.bytes().begin());
    return image;
}

// A parallel link on a fake clock with an EEPROM simulator behind the port.
struct ParallelRig {
    explicit ParallelRig(sim::EepromOptions options = DefaultPager()) : memory(clock, options) {
        link.SetView(&view);
        image = BuildDefaultImage();
    }

    static sim::EepromOptions DefaultPager() {
        sim::EepromOptions o;
        o.memory = MemoryWith(BuildDefaultImage());
        return o;
    }
    static sim::EepromOptions WithFault(sim::EepromFault fault, int address = 0,
                                        std::uint8_t mask = 0x01) {
        sim::EepromOptions o = DefaultPager();
        o.fault = {fault, address, mask};
        return o;
    }

    FakeClock clock;
    CountingPump pump;
    RecordingDialogs dialogs;
    sim::EepromSimulator memory;
    TappedPort port{memory};
    PagerImage image;
    RecordingHost host{image};
    RecordingDialogView view;
    ParallelLink link{port, clock, pump, dialogs};
    ParallelTransfers transfers{link, host};
};

}  // namespace kpx::testing
