#pragma once

#include "fake_board_port.h"
#include "link/serial_link.h"
#include "link/serial_transfers.h"
#include "sim/board_core.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace kpx::testing {

// A serial link on fake ports and a fake clock, with a board on COM5.
struct LinkRig {
    explicit LinkRig(sim::BoardOptions options = {}) : board(options) {
        port.AttachBoard(5, &board);
        lister.SetComs({5});
        link.SetHost(&host);
        link.SetView(&view);
        link.boardPort = 5;
        registryBackend.ReplaceStringValues(kHkeyLocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM",
                                            {{"\\Device\\Serial0", "COM1"},
                                             {"\\Device\\Serial1", "COM2"},
                                             {"\\Device\\Serial2", "COM3"}});
    }

    // Pager memory with a recognisable pattern below the identification text.
    static sim::BoardOptions PatternBoard() {
        sim::BoardOptions o;
        sim::BoardMemory m{};
        for (int a = 0; a < 0x3E0; ++a) m[a] = static_cast<std::uint8_t>(a * 7 + 3);
        const std::string ident = "KPX41V1.0V1.03";
        for (std::size_t i = 0; i < ident.size(); ++i)
            m[0x3E1 + i] = static_cast<std::uint8_t>(ident[i]);
        o.memory = m;
        return o;
    }

    FakeClock clock;
    CountingPump pump;
    RecordingDialogs dialogs;
    ScriptedLister lister;
    MemoryRegistry registryBackend;
    RegistryAccess registry{registryBackend};
    FakeBoardPort port{clock};
    sim::BoardCore board;
    PagerImage image;
    RecordingHost host{image};
    RecordingDialogView view;
    SerialLink link{port, lister, registry, clock, pump, dialogs};
    SerialTransfers transfers{link, host};
};

}  // namespace kpx::testing
