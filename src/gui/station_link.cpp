#include "gui/station_link.h"

#include <QFile>

#include "gui/production/station_window.h"
#include "image/table_file.h"
#include "platform/termios_port.h"

namespace kpx::gui {

std::string WindowStationHost::TablePath() const {
    return QFile::encodeName(window_.State().currentTablePath).toStdString();
}

std::vector<StationPort> WindowStationHost::ListPorts() {
    std::vector<StationPort> ports;
    for (const std::string& name : lister_.GetDevInfo(kCableDescription)) {
        const auto com = PortNumberFromName(name);
        if (!com) continue;
        if (const auto path = map_.PathForCom(*com))
            ports.push_back({"COM" + std::to_string(*com), *path});
    }
    return ports;
}

BoardPort WindowStationHost::MakeBoardPort(const std::string& path) {
    BoardPort board;
    board.port = std::make_unique<TermiosSerialPort>(map_);
    board.com = map_.ComNumberForPath(path).value_or(-1);
    return board;
}

StationLink::StationLink(MainWindow& window, BoardLink& link, DeviceLister& lister, PortMap& map,
                         BackupStore* backups, std::string settingsFile)
    : window_(window), host_(window, link, lister, map, backups, std::move(settingsFile)) {
    window.ShowProductionStation = [this] { ShowStation(); };
}

StationLink::~StationLink() {
    window_.ShowProductionStation = nullptr;
    delete station_;
}

StationWindow& StationLink::ShowStation() {
    if (!station_) {
        station_ = new StationWindow(host_, &window_);
        station_->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(station_, &QObject::destroyed, [this] { station_ = nullptr; });
    }
    station_->show();
    station_->raise();
    station_->activateWindow();
    return *station_;
}

bool StationLink::OpenForProduction(const ProductionStart& start) {
    window_.State().currentTablePath = QFile::decodeName(start.file.c_str());
    window_.State().useCurrentPath = true;
    const bool opened = window_.TableFileOpen();
    window_.State().useCurrentPath = false;
    if (!opened) return false;
    StationWindow& station = ShowStation();
    station.UseStart(start);
    if (start.start) {
        station.AnswerGpQuestion(true);
        station.cmdStart_Click();
    }
    return true;
}

std::string ProductionStartProblem(const ProductionStart& start) {
    const TableFileLoad load = LoadTableFile(start.file);
    if (load.status != TableFileStatus::Ok) {
        return start.file + ": " + load.message + (load.reason.empty() ? "" : "\n" + load.reason);
    }
    for (const std::string& port : start.ports) {
        if (std::string problem = SerialPortProblem(port); !problem.empty()) return problem;
    }
    return "";
}

}  // namespace kpx::gui
