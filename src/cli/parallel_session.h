#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "link/bus_trace.h"
#include "link/link_host.h"
#include "link/parallel_link.h"
#include "link/parallel_transfers.h"
#include "platform/ppdev_port.h"
#include "support/user_dialogs.h"
#include "timing/clock.h"

namespace kpx::cli {

// The parallel port of --lpt [PATH] and the bus on it: the machine's ports, or the ones
// UseParallelPort set.
struct ParallelSession {
    ParallelSession(const std::optional<std::string>& lptPath, Clock& machineClock,
                    UserDialogs& dialogs, LinkHost& host);

    // lpt_connect has told the user; this says why the machine's ports did not do.
    void SayWhy(std::ostream& err) const;
    // True, told on err as a failed read says it, when the machine has no parallel port at all
    // (no PATH given and none found), so that a series fails before it starts.
    static bool NoPortAtAll(const std::optional<std::string>& lptPath, std::ostream& err);

    Clock& clock;
    NullEventPump pump;
    std::string lookupProblem;
    std::unique_ptr<PpdevPortIo> machine;
    // --trace: every bus transaction; SetTrace turns it on.
    TracingPortIo traced;
    ParallelLink link;
    ParallelTransfers transfers;

  private:
    std::unique_ptr<PpdevPortIo> MachinePorts(const std::optional<std::string>& lptPath);
};

}  // namespace kpx::cli
