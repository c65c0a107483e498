#pragma once

#include <QObject>
#include <QStringList>
#include <vector>

class QAction;

namespace kpx {
class UserSettings;
}

namespace kpx::gui {

class MainWindow;

// The last five table files opened or saved under a chosen name, newest first, in the File
// menu before its separator. An installed program keeps them in the user's settings; a build
// tree keeps them for the run.
class RecentFiles : public QObject {
  public:
    static constexpr int kFiles = 5;

    explicit RecentFiles(MainWindow& window);
    void KeepIn(UserSettings* store);
    void Add(const QString& path);
    QStringList Files() const { return files_; }

  private:
    void Show();

    MainWindow& window_;
    UserSettings* store_ = nullptr;
    QStringList files_;
    std::vector<QAction*> actions_;
};

}  // namespace kpx::gui
