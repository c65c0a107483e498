#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "support/user_dialogs.h"

namespace kpx::gui {

class MainWindow;

// The manual: the installed documentation, or the source tree's docs/ for a program run from
// its build tree (bin/ beside a CMakeCache.txt that names the source folder).
QString ManualPath(const QString& programFolder);

// Opens a file or a folder in the desktop's browser or file manager; where none can be
// started, a message box names the path (what is shown on stderr is easily missed).
void OpenOrShowPath(const std::function<bool(const QString&)>& open, const QString& path,
                    const char* what, UserDialogs& dialogs);
bool OpenWithDesktop(const QString& path);

// Help / "Manual".
class HelpManual : public QObject {
    Q_OBJECT
  public:
    explicit HelpManual(MainWindow& window);
    // Tests replace it.
    std::function<bool(const QString& path)> Open = OpenWithDesktop;
    void mnuManual_Click();

  private:
    MainWindow& window_;
};

}  // namespace kpx::gui
