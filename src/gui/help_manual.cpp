#include "gui/help_manual.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>

#include "gui/dialogs/qt_dialogs.h"
#include "gui/main_window.h"

namespace kpx::gui {

namespace {

// The source folder a build tree was configured from, or empty.
QString SourceFolderOfBuild(const QString& programFolder) {
    for (const QString& cache : {programFolder + "/CMakeCache.txt",
                                 programFolder + "/../CMakeCache.txt"}) {
        QFile f(cache);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
        while (!f.atEnd()) {
            const QString line = QString::fromUtf8(f.readLine()).trimmed();
            if (line.startsWith("CMAKE_HOME_DIRECTORY:")) return line.section('=', 1);
        }
    }
    return {};
}

}  // namespace

QString ManualPath(const QString& programFolder) {
    const QString source = SourceFolderOfBuild(programFolder);
    if (!source.isEmpty()) return QDir::cleanPath(source + "/docs/window.md");
    return QDir::cleanPath(programFolder + "/../share/doc/kpx41-programmer/docs/window.md");
}

bool OpenWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void OpenOrShowPath(const std::function<bool(const QString&)>& open, const QString& path,
                    const char* what, UserDialogs& dialogs) {
    if (open(path)) return;
    dialogs.Inform(std::string(what) + " could not be shown here; it is at\n" + ToCp1252(path));
}

HelpManual::HelpManual(MainWindow& window) : QObject(&window), window_(window) {
    QMenu* help = window.findChild<QMenu*>("mnuHelp");
    auto* manual = new QAction("Manual", help);
    manual->setObjectName("mnuManual");
    help->insertAction(window.findChild<QAction*>("mnuAbout"), manual);
    connect(manual, &QAction::triggered, this, [this] { mnuManual_Click(); });
}

void HelpManual::mnuManual_Click() {
    OpenOrShowPath(Open, ManualPath(QCoreApplication::applicationDirPath()), "The manual",
                   window_.Dialogs());
}

}  // namespace kpx::gui
