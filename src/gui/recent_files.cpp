#include "gui/recent_files.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <string>

#include "gui/main_window.h"
#include "platform/user_settings.h"

namespace kpx::gui {

namespace {

std::string Key(int i) {
    return "Recent" + std::to_string(i + 1);
}

}  // namespace

RecentFiles::RecentFiles(MainWindow& window) : QObject(&window), window_(window) {
    QMenu* file = window.findChild<QMenu*>("mnuFile");
    QAction* before = window.findChild<QAction*>("mnudash");
    for (int i = 0; i < kFiles; ++i) {
        auto* a = new QAction(file);
        a->setObjectName(QString("mnuRecent(%1)").arg(i));
        a->setVisible(false);
        file->insertAction(before, a);
        connect(a, &QAction::triggered, this, [this, i] { window_.OpenFile(files_.value(i)); });
        actions_.push_back(a);
    }
}

void RecentFiles::KeepIn(UserSettings* store) {
    store_ = store;
    if (!store_) return;
    files_.clear();
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = store_->Value(Key(i));
        if (!path.empty()) files_.append(QFile::decodeName(path.c_str()));
    }
    Show();
}

void RecentFiles::Add(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    files_.removeAll(full);
    files_.prepend(full);
    while (files_.size() > kFiles) files_.removeLast();
    if (store_) {
        for (int i = 0; i < kFiles; ++i) {
            store_->SetValue(Key(i), QFile::encodeName(files_.value(i)).toStdString());
        }
    }
    Show();
}

void RecentFiles::Show() {
    for (int i = 0; i < kFiles; ++i) {
        actions_[static_cast<std::size_t>(i)]->setVisible(i < files_.size());
        actions_[static_cast<std::size_t>(i)]->setText(QString("&%1 %2").arg(i + 1).arg(
            QString(files_.value(i)).replace("&", "&&")));
    }
}

}  // namespace kpx::gui
