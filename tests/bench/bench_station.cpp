// The window's production station on 1 and then 8 kpx41-boardsim processes paced at 9600 baud,
// swap detection off, each board's Next pressed as soon as it waits. Prints pagers per hour,
// the ratio of 8 boards to 8 x one board, the longest gap between two ticks of a 10 ms timer
// on the window's thread during the run, and the window's CPU time as a share of one core
// (the simulators run in processes of their own).
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "gui/production/station_window.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "platform/termios_port.h"
#include "settings/bands.h"
#include "testsupport/child_process.h"
#include "testsupport/fakes.h"
#include "testsupport/station_host_fake.h"
#include "testsupport/test_env.h"

namespace {

using namespace kpx;

constexpr int kPagersPerBoard = 2;

using BenchHost = testing::FakeStationHost;

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

struct Run {
    bool ok = false;
    double wallMs = 0;
    double cpuMs = 0;
    qint64 longestGapMs = 0;
};

Run Series(testing::TempDir& dir, int boards) {
    BenchHost host(dir, "bench.tbl");
    std::deque<testing::BoardSimProcess> sims;
    for (int i = 0; i < boards; ++i) {
        sims.emplace_back(std::vector<std::string>{"--pace", "--memory", dir.File("bench.tbl")});
        const int com = host.map.Register(sims.back().path());
        host.ports.push_back({"COM" + std::to_string(com), sims.back().path()});
    }
    std::remove(dir.File("bench.csv").c_str());
    Run r;
    {
        gui::StationWindow station(host);
        station.show();
        station.findChild<QSpinBox*>("txtCount")->setValue(boards * kPagersPerBoard);
        station.findChild<QCheckBox*>("chkAuto1")->setChecked(true);
        station.findChild<QCheckBox*>("chkSwap")->setChecked(false);
        auto* table = station.findChild<QTableWidget*>("tblBoards");
        std::map<int, QString> pressed;
        QElapsedTimer since;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            r.longestGapMs = std::max(r.longestGapMs, since.restart());
            // The operator says "next" once as soon as a board waits.
            for (int row = 0; row < table->rowCount(); ++row) {
                const QString state = table->item(row, gui::BoardTable::kState)->text();
                if (state.startsWith("waiting for a pager") && pressed[row] != state) {
                    pressed[row] = state;
                    station.cmdNext_Click(row);
                } else if (!state.startsWith("waiting for a pager")) {
                    pressed[row].clear();
                }
            }
        });
        station.AnswerGpQuestion(true);
        const auto start = std::chrono::steady_clock::now();
        const double cpuBefore = CpuMs();
        station.cmdStart_Click();
        since.start();
        tick.start();
        // The window's own event loop, as in the program, until the series is over.
        QEventLoop loop;
        QTimer over;
        QObject::connect(&over, &QTimer::timeout, [&] {
            if (!station.Running()) loop.quit();
        });
        over.start(50);
        loop.exec();
        tick.stop();
        r.cpuMs = CpuMs() - cpuBefore;
        r.wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        r.ok = station.findChild<QLabel*>("lblDone")->text() ==
               QString("Done: %1").arg(boards * kPagersPerBoard);
        if (!r.ok)
            std::fprintf(
                stderr, "%d boards: %s\n", boards,
                station.findChild<QLabel*>("lblMessage")->text().toLocal8Bit().constData());
    }
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    const kpx::testing::IsolatedHome home;
    const kpx::testing::ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kpx::testing::TempDir dir;
    if (!SaveTableFile(dir.File("bench.tbl"), BuildDefaultImage()).empty()) return 1;

    const Run one = Series(dir, 1);
    const Run eight = Series(dir, 8);
    if (!one.ok || !eight.ok) return 1;
    const double oneRate = kPagersPerBoard * 3600000.0 / one.wallMs;
    const double eightRate = 8 * kPagersPerBoard * 3600000.0 / eight.wallMs;
    std::printf("1 board: %.1f pagers per hour\n", oneRate);
    std::printf(
        "8 boards: %.1f pagers per hour = %.3f x (8 x one board) (goal >= 0.97); longest gap "
        "between two 10 ms ticks %lld ms (goal <= 100); window CPU %.2f%% of one core (goal < "
        "5%%)\n",
        eightRate, eightRate / (8 * oneRate), static_cast<long long>(eight.longestGapMs),
        eight.cpuMs / eight.wallMs * 100.0);
    return eightRate >= 0.97 * 8 * oneRate && eight.longestGapMs <= 100 &&
                   eight.cpuMs / eight.wallMs < 0.05
               ? 0
               : 1;
}
