#include "gui/programmer.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/qt_dialogs.h"

namespace kpx::gui {

Programmer::Programmer(const ProgramSettings& settings, UserDialogs& dialogs, const QString& folder,
                       int splashShowMs, int splashCloseMs)
    : window_(std::make_unique<MainWindow>(settings, dialogs, folder)),
      splash_(std::make_unique<SplashWindow>(settings)) {
    splash_->Timer1()->setInterval(splashShowMs);
    splash_->Timer2()->setInterval(splashCloseMs);
    QObject::connect(splash_.get(), &SplashWindow::ShowMainWindow, window_.get(), [this] {
        window_->resize(1000, 700);
        window_->show();
        window_->Load([this] { splash_->EnableTimer2(); });
        splash_->raise();
    });
}

void Programmer::Start() {
    splash_->show();
}

namespace {

class SilentDialogs final : public UserDialogs {
  public:
    DialogAnswer Message(const std::string& text, DialogButtons, DialogIcon) override {
        std::fprintf(stderr, "kpx41-programmer: %s\n", text.c_str());
        return DialogAnswer::No;
    }
};

bool Save(QWidget* w, const QString& file, QString* error) {
    if (w->grab().save(file, "PNG")) return true;
    if (error) *error = "cannot write " + file;
    return false;
}

}  // namespace

bool WriteScreenshots(const QString& dir, QString* error) {
    if (!QDir().mkpath(dir)) {
        if (error) *error = "cannot create " + dir;
        return false;
    }
    SilentDialogs dialogs;
    const ProgramSettings& settings = DefaultProgramSettings();
    // An empty folder of its own, so that no default.tbl changes what is shown.
    MainWindow w(settings, dialogs, QDir::tempPath() + "/kpx41-screenshot-none");
    w.resize(1000, 700);
    w.show();
    w.Load();
    QApplication::processEvents();
    bool ok = true;
    w.EMoptCode_Click();
    QApplication::processEvents();
    ok = Save(&w, dir + "/picSet1.png", error) && ok;
    w.EMoptStatus_Click();
    QApplication::processEvents();
    ok = Save(&w, dir + "/picSet2.png", error) && ok;
    w.EMoptPrompts_Click();
    QApplication::processEvents();
    ok = Save(&w, dir + "/prompts.png", error) && ok;
    AboutWindow about(settings, "130-180MHz", &w);
    about.show();
    QApplication::processEvents();
    ok = Save(&about, dir + "/about.png", error) && ok;
    return ok;
}

int RunProgrammer(int argc, char** argv) {
    QString screenshotDir;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0) screenshotDir = argv[i + 1];
    }
    if (!screenshotDir.isEmpty() && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("KPX41 Programmer");
    if (!screenshotDir.isEmpty()) {
        QString error;
        if (!WriteScreenshots(screenshotDir, &error)) {
            std::fprintf(stderr, "kpx41-programmer: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    QtUserDialogs dialogs;
    Programmer programmer(DefaultProgramSettings(), dialogs, QApplication::applicationDirPath());
    dialogs.SetParent(&programmer.Window());
    programmer.Start();
    return QApplication::exec();
}

}  // namespace kpx::gui
