#include "gui/station_start.h"

#include <QObject>
#include <cstdio>

#include "gui/dialogs/frames.h"
#include "gui/production/station_window.h"
#include "gui/programmer.h"
#include "gui/station_link.h"
#include "platform/port_map.h"
#include "support/version.h"

namespace kpx::gui {

namespace {

constexpr const char* kOptionHelp =
    "  --simulate [N]      plug in N simulated programming boards (1 without N) holding a\n"
    "                      pager (in an LPT build: a simulated pager memory on the port)\n"
    "  --screenshot DIR    write pictures of the windows into DIR and quit\n"
    "  --production FILE   open the production station over the table FILE\n"
    "  --port PATH         a board of the station (again for more); without it every cable\n"
    "  --auto-increase 1|2|1,2  the capcodes that count up by one per pager\n"
    "  --count N           pagers of the series (without it, no end)\n"
    "  --log FILE          the series' CSV log\n"
    "  --ledger URL        a PostgreSQL ledger that several stations share\n"
    "  --series NAME       the ledger's series (by default from the file's capcodes)\n"
    "  --station NAME      this station in the ledger (by default the host name)\n"
    "  --start             start the series at once, the GP(RoHS) question answered Yes\n"
    "  --help              this text\n"
    "  --version           the program's version\n";

}  // namespace

std::optional<int> TakeProgrammerArgs(int argc, char** argv, ProgrammerArgs* args) {
    std::string problem;
    const auto parsed =
        ParseProgrammerArgs(std::vector<std::string>(argv + 1, argv + argc), &problem);
    if (!parsed) {
        std::fprintf(stderr, "kpx41-programmer: %s\n%s", problem.c_str(), kProgrammerUsage);
        return 2;
    }
    *args = *parsed;
    if (args->help) {
        std::printf("%s%s", kProgrammerUsage, kOptionHelp);
        return 0;
    }
    if (args->version) {
        std::fputs(VersionText("kpx41-programmer").c_str(), stdout);
        return 0;
    }
    if (args->production) {
        if (const std::string why = ProductionStartProblem(*args->production); !why.empty()) {
            std::fprintf(stderr, "kpx41-programmer: %s\n", why.c_str());
            return 1;
        }
    }
    return std::nullopt;
}

bool SimulatedBench::Start(int boards, std::string* error) {
    for (int i = 0; i < boards; ++i) {
        auto board = std::make_unique<sim::SimulatedBoard>();
        if (!board->Start(error)) return false;
        std::fprintf(stderr, "kpx41-programmer: simulated board on %s (COM%d)\n",
                     board->path().c_str(), board->com());
        boards_.push_back(std::move(board));
    }
    return true;
}

void SimulatedBench::SetOperator(bool on) {
    for (auto& board : boards_) board->simulator().SetOperator(on);
}

std::unique_ptr<StationLink> AttachStation(Programmer& programmer, BoardLink& link,
                                           DeviceLister& lister, BackupStore& backups,
                                           const std::string& settingsFolder,
                                           const ProgrammerArgs& args, SimulatedBench& bench) {
    auto station =
        std::make_unique<StationLink>(programmer.Window(), link, lister, PortMap::Default(),
                                      &backups, settingsFolder + "/station.reg");
    if (bench.Any())
        station->Host().simulatedOperator = [&bench](bool on) { bench.SetOperator(on); };
    if (args.production) {
        // Once the window has loaded (its load step runs on the same signal, connected first).
        QObject::connect(
            &programmer.Splash(), &SplashWindow::ShowMainWindow, &programmer.Window(),
            [s = station.get(), start = *args.production] { s->OpenForProduction(start); });
    }
    return station;
}

}  // namespace kpx::gui
