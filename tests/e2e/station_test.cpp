// The production station through its window, on simulated boards on real pseudo-terminals.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "gui/production/station_window.h"
#include "gui/wait_until.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "platform/pg/pg_ledger.h"
#include "platform/termios_port.h"
#include "production/production.h"
#include "settings/bands.h"
#include "sim/simulated_board.h"
#include "testsupport/child_process.h"
#include "testsupport/fakes.h"
#include "testsupport/pg_cluster.h"
#include "testsupport/station_host_fake.h"

namespace kpx::gui::testing {
namespace {

using kpx::testing::TempDir;

using TestStationHost = kpx::testing::FakeStationHost;

class StationTest : public ::testing::Test {
  protected:
    // Plugs in a board; `operatorSwaps`: its simulated operator swaps the pagers.
    sim::BoardSimulator& PlugIn(bool operatorSwaps, bool pace = false) {
        sim::BoardSimulator::Config config;
        config.pace = pace;
        config.operatorSwaps = operatorSwaps;
        boards.push_back(std::make_unique<sim::SimulatedBoard>(config, host.map));
        std::string error;
        EXPECT_TRUE(boards.back()->Start(&error)) << error;
        host.ports.push_back({"COM" + std::to_string(boards.back()->com()), boards.back()->path()});
        return boards.back()->simulator();
    }

    void Open() {
        station = std::make_unique<StationWindow>(host);
        station->show();
        QApplication::processEvents();
    }

    // Starts a series of `count` pagers with the first capcode counting up, the GP(RoHS)
    // question answered Yes.
    void Start(int count, bool swapDetection = true) {
        Find<QSpinBox>("txtCount")->setValue(count);
        Find<QCheckBox>("chkAuto1")->setChecked(true);
        Find<QCheckBox>("chkAuto2")->setChecked(false);
        Find<QCheckBox>("chkSwap")->setChecked(swapDetection);
        host.dialogs.AnswerNext(DialogAnswer::Yes);
        Find<QPushButton>("cmdStart")->click();
        ASSERT_TRUE(station->Running()) << ::testing::PrintToString(host.dialogs.Texts());
    }

    bool WaitOver(int timeoutMs = 30000) {
        return WaitUntil([this] { return !station->Running(); }, timeoutMs);
    }

    template <class T>
    T* Find(const char* name) {
        T* w = station->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Cell(int row, int column) {
        return Find<QTableWidget>("tblBoards")->item(row, column)->text();
    }
    QString Label(const char* name) { return Find<QLabel>(name)->text(); }

    // The series on a shared ledger instead of the log, as this station.
    void UseLedger(const std::string& url, const char* stationName) {
        Find<QRadioButton>("optLedger")->setChecked(true);
        Find<QLineEdit>("txtLedger")->setText(QString::fromStdString(url));
        Find<QLineEdit>("txtStation")->setText(stationName);
    }

    // The log's rows: capcode 1 and result.
    std::vector<std::pair<int, std::string>> LogRows() {
        std::ifstream in(dir.File("series.csv"));
        std::vector<std::pair<int, std::string>> rows;
        for (const LogRow& row : ParseLog(in)) rows.emplace_back(row.capcodes[0], row.result);
        return rows;
    }

    TempDir dir;
    TestStationHost host{dir, "series.tbl"};
    std::vector<std::unique_ptr<sim::SimulatedBoard>> boards;
    std::unique_ptr<StationWindow> station;
};

constexpr int kFirst = 1234567;  // the default image's first capcode

TEST_F(StationTest, SeriesOverSeveralBoardsWithSwapsLogsEachCapcodeOnceInOneRun) {
    for (int i = 0; i < 3; ++i) PlugIn(true);
    Open();
    EXPECT_TRUE(host.stationOpen);
    ASSERT_EQ(Find<QTableWidget>("tblBoards")->rowCount(), 3);
    EXPECT_EQ(Label("lblFirst"), "First capcodes: 1234567 1234560 (from the image)");
    Start(5);
    EXPECT_TRUE(host.operatorOn);
    ASSERT_TRUE(WaitOver()) << Label("lblMessage").toStdString();

    // The GP(RoHS) question came once, for the series.
    ASSERT_EQ(host.dialogs.Texts().size(), 1u);
    EXPECT_NE(
        host.dialogs.Texts()[0].find("The Pager is GP(RoHS) ! \r\nAre you sure overwrite it?"),
        std::string::npos);
    std::vector<int> written;
    for (const auto& [capcode, result] : LogRows()) {
        EXPECT_EQ(result, "ok");
        written.push_back(capcode);
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<int>{kFirst, kFirst + 1, kFirst + 2, kFirst + 3, kFirst + 4}));
    EXPECT_EQ(Label("lblDone"), "Done: 5");
    EXPECT_EQ(Label("lblFailed"), "Failed: 0");
    EXPECT_EQ(Label("lblLeft"), "Left: 0");
    int perBoard = 0;
    for (int row = 0; row < 3; ++row) perBoard += Cell(row, BoardTable::kDone).toInt();
    EXPECT_EQ(perBoard, 5);
    EXPECT_FALSE(host.operatorOn);
    EXPECT_TRUE(Find<QPushButton>("cmdStart")->isEnabled());

    // The choices are kept for the next time.
    station.reset();
    EXPECT_FALSE(host.stationOpen);
    Open();
    EXPECT_EQ(Find<QSpinBox>("txtCount")->value(), 5);
    EXPECT_TRUE(Find<QCheckBox>("chkResume")->isEnabled());  // the log has rows now
}

TEST_F(StationTest, APagerLeftInItsSlotIsNotWrittenTwiceUntilNextIsPressed) {
    sim::BoardSimulator& board = PlugIn(false);
    Open();
    Start(2);
    // The pager in the slot at Start is programmed; left there, it waits for a swap.
    ASSERT_TRUE(WaitUntil([&] { return Cell(0, BoardTable::kDone) == "1"; }, 10000));
    EXPECT_TRUE(WaitUntil([&] {
        return Cell(0, BoardTable::kState).startsWith("waiting for a pager; last: done");
    })) << Cell(0, BoardTable::kState).toStdString();
    const int writes = board.writes();
    QTest::qWait(1200);  // a few polls of the slot
    EXPECT_EQ(board.writes(), writes);
    // Only re-seated, it holds what was just written.
    board.SetPagerPresent(false);
    QTest::qWait(1200);
    board.SetPagerPresent(true);
    ASSERT_TRUE(
        WaitUntil([&] { return Cell(0, BoardTable::kState) == "already programmed"; }, 5000))
        << Cell(0, BoardTable::kState).toStdString();
    EXPECT_EQ(board.writes(), writes);
    EXPECT_EQ(LogRows().size(), 1u);

    // Key 1 is the first row's Next: the pager in the slot is the next one.
    QKeyEvent one(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
    QApplication::sendEvent(Find<QTableWidget>("tblBoards"), &one);
    ASSERT_TRUE(WaitOver(10000));
    EXPECT_EQ(LogRows(),
              (std::vector<std::pair<int, std::string>>{{kFirst, "ok"}, {kFirst + 1, "ok"}}));
    EXPECT_EQ(Cell(0, BoardTable::kDone), "2");
}

TEST_F(StationTest, APagerPulledMidWriteFailsAndItsCapcodesGoToTheNextPager) {
    sim::BoardSimulator& board = PlugIn(false, true);  // paced: a write takes its time
    Open();
    Start(1);
    ASSERT_TRUE(WaitUntil([&] { return board.writes() >= 2; }, 10000));
    board.SetPagerPresent(false);
    ASSERT_TRUE(WaitUntil([&] { return Cell(0, BoardTable::kFailed) == "1"; }, 10000))
        << Cell(0, BoardTable::kState).toStdString();
    // The row keeps saying why while it waits for the next pager.
    EXPECT_TRUE(Cell(0, BoardTable::kState).contains("failed: "))
        << Cell(0, BoardTable::kState).toStdString();
    // A pager swapped in (the board has seen the slot empty meanwhile) takes the same capcodes.
    QTest::qWait(1500);
    board.SetPagerPresent(true);
    ASSERT_TRUE(WaitOver(20000)) << Cell(0, BoardTable::kState).toStdString();
    EXPECT_EQ(LogRows(),
              (std::vector<std::pair<int, std::string>>{{kFirst, "failed"}, {kFirst, "ok"}}));
    EXPECT_EQ(Label("lblDone"), "Done: 1");
}

TEST_F(StationTest, ABoardUnpluggedSaysGoneAndTheOthersGoOn) {
    PlugIn(true);
    PlugIn(true);
    Open();
    Start(0);  // no end
    ASSERT_TRUE(WaitUntil([&] { return Cell(0, BoardTable::kDone) == "1"; }, 10000));
    // The cable goes: the device list no longer shows it.
    boards[0]->Stop();
    host.ports.erase(host.ports.begin());
    station->FollowBoards();
    EXPECT_EQ(Cell(0, BoardTable::kState), "gone: it takes no more pagers");
    EXPECT_FALSE(Find<QTableWidget>("tblBoards")->item(0, BoardTable::kUse)->flags() &
                 Qt::ItemIsEnabled);
    const QString doneBefore = Cell(0, BoardTable::kDone);
    ASSERT_TRUE(WaitUntil([&] { return Cell(1, BoardTable::kDone).toInt() >= 2; }, 15000));
    EXPECT_EQ(Cell(0, BoardTable::kDone), doneBefore);

    // Closing asks only while a pager is under way; the series stops after it either way.
    host.dialogs.AnswerNext(DialogAnswer::Yes);
    station->close();
    ASSERT_TRUE(WaitOver(15000));
    std::set<int> capcodes;
    for (const auto& [capcode, result] : LogRows()) {
        if (result == "ok") EXPECT_TRUE(capcodes.insert(capcode).second) << capcode;
    }
    // One unbroken run from the first capcode.
    EXPECT_EQ(*capcodes.begin(), kFirst);
    EXPECT_EQ(*capcodes.rbegin(), kFirst + static_cast<int>(capcodes.size()) - 1);
}

TEST_F(StationTest, ALedgerThatFailsStopsTheStationAndNamesTheCapcodesOfUnknownState) {
    PlugIn(true);
    Open();
    Start(3);
    // Room for the header and half a row: the first row cannot be written, as on a full disk.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = std::strlen(kLogHeader) + 1 + 60;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool over = WaitOver(15000);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(over);
    const QString message = Label("lblMessage");
    EXPECT_TRUE(
        message.contains(QString::fromStdString(dir.File("series.csv")) + ": cannot be written"))
        << message.toStdString();
    EXPECT_TRUE(message.contains("1234567 1234560")) << message.toStdString();
    // The same words came in a message box.
    EXPECT_EQ(host.dialogs.Texts().back(), message.toStdString());
}

// The station and a `kpx41 produce` on a board of its own run one series on one PostgreSQL
// ledger at once: their hand-outs interleave, and the ledger's rows hold each capcode once, in
// one unbroken run.
TEST_F(StationTest, RunsOneSeriesBesideProduceOnASharedLedger) {
    using namespace kpx::testing;
    PgCluster cluster;
    ASSERT_TRUE(cluster.ok()) << cluster.error();
    ASSERT_TRUE(cluster.CreateDatabase("line"));
    const std::string url = cluster.Url("line");
    ASSERT_EQ(SaveTableFile(host.TablePath(), host.image), "");
    PlugIn(true);
    PlugIn(true);
    Open();
    UseLedger(url, "window");
    Start(0);  // no end: the station runs for as long as produce does, and longer
    BoardSimProcess bench({"--pace"});  // a pager takes its seconds
    ChildProcess produce(
        Kpx41Exe(),
        ProduceArgs(host.TablePath(), {bench.path()}, "1", 3,
                    {"--ledger", url, "--station", "cli", "--no-wait", "--no-backup"}),
        dir.path());
    ASSERT_TRUE(WaitUntil([&] { return produce.Ended(); }, 90000));
    ASSERT_EQ(produce.Wait(), 0) << produce.Err();
    EXPECT_TRUE(station->Running());
    // The station shows the whole series, over both stations.
    auto* status = Find<QPlainTextEdit>("txtSeriesStatus");
    EXPECT_TRUE(WaitUntil(
        [&] { return status->toPlainText().contains("station cli today: 3 pagers, "); }, 15000))
        << status->toPlainText().toStdString();
    Find<QPushButton>("cmdStop")->click();
    ASSERT_TRUE(WaitOver()) << Label("lblMessage").toStdString();

    // Each row: capcode 1, capcode 2, result, station, series.
    std::istringstream rows(
        cluster.Sql("line",
                    "SELECT capcode1, capcode2, result, station, series FROM kpx41_row"
                    " ORDER BY id"));
    std::map<std::string, std::vector<int>> perStation;
    std::set<int> written;
    for (std::string row; std::getline(rows, row);) {
        std::vector<std::string> f;
        std::istringstream fields(row);
        for (std::string field; std::getline(fields, field, '|');) f.push_back(field);
        ASSERT_EQ(f.size(), 5u) << row;
        EXPECT_EQ(f[1] + "|" + f[2] + "|" + f[4], "1234560|ok|1234567 1234560 auto 1") << row;
        EXPECT_TRUE(written.insert(std::stoi(f[0])).second) << row << ": written twice";
        perStation[f[3]].push_back(std::stoi(f[0]));
    }
    ASSERT_EQ(perStation.size(), 2u);
    const std::vector<int>& cli = perStation["cli"];
    const std::vector<int>& mine = perStation["window"];
    ASSERT_EQ(cli.size(), 3u);
    EXPECT_EQ(*written.begin(), kFirst);
    EXPECT_EQ(*written.rbegin(), kFirst + static_cast<int>(written.size()) - 1);
    // Nothing stays handed out after Stop: the series goes on right after its last capcode.
    std::string error;
    const std::unique_ptr<PgLedger> ledger = PgLedger::Open(url, &error);
    std::vector<LedgerSeries> series;
    ASSERT_TRUE(ledger && ledger->Status(&series, &error)) << error;
    ASSERT_EQ(series.size(), 1u);
    EXPECT_EQ(series[0].next, (CapcodePair{*written.rbegin() + 1, 1234560}));
    EXPECT_TRUE(series[0].handouts.empty()) << FormatLedgerStatus(series);
    // The station took capcodes while produce was writing its three.
    EXPECT_TRUE(std::any_of(mine.begin(), mine.end(),
                            [&](int c) { return c > cli.front() && c < cli.back(); }));

    // The station's totals are its own pagers.
    EXPECT_EQ(Label("lblDone"), QString("Done: %1").arg(mine.size()));
    EXPECT_EQ(Label("lblFailed"), "Failed: 0");
    EXPECT_EQ(Label("lblLeft"), "Left: no end");
    EXPECT_EQ(Cell(0, BoardTable::kDone).toInt() + Cell(1, BoardTable::kDone).toInt(),
              static_cast<int>(mine.size()));
}

}  // namespace
}  // namespace kpx::gui::testing
