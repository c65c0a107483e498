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

// Takes "--lpt", "--lpt PATH" (a /dev/ path) or "--lpt=PATH" at args[i], moving i past a PATH
// that follows; false when args[i] is another argument.
inline bool ParseLptOption(const std::vector<std::string>& args, std::size_t& i,
                           std::optional<std::string>& path) {
    const std::string& a = args[i];
    if (a != "--lpt" && a.rfind("--lpt=", 0) != 0) return false;
    if (a.size() > 6) {
        path = a.substr(6);
    } else if (i + 1 < args.size() && args[i + 1].rfind("/dev/", 0) == 0) {
        // A device path; anything else after --lpt is the command's own argument.
        path = args[++i];
    }
    return true;
}

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
