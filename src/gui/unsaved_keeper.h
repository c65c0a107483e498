#pragma once

#include <QMetaObject>
#include <QString>
#include <optional>
#include <string>

#include "image/pager_image.h"

namespace kpx::gui {

class MainWindow;

// Edits that no file, read or write holds are never thrown away: before the program ends, and
// before Open or Read replace them, the image is kept as "unsaved-<time>.tbl" in the backups
// folder. The message line says where; the next start says so once.
class UnsavedKeeper {
  public:
    UnsavedKeeper(MainWindow& window, std::string folder);
    ~UnsavedKeeper();
    UnsavedKeeper(const UnsavedKeeper&) = delete;
    UnsavedKeeper& operator=(const UnsavedKeeper&) = delete;

    // A read or a write now holds this image (PC characters).
    void Held(const PagerImage& image) { held_ = image; }
    // Keeps the window's image when it holds edits nothing else holds; the copy's path, or
    // empty.
    QString KeepIfUnsaved();

  private:
    std::string NotePath() const;
    void ShowLastRunsNote();

    MainWindow& window_;
    std::string folder_;
    std::optional<PagerImage> held_;
    bool noteShown_ = false;
    QMetaObject::Connection quit_;
};

}  // namespace kpx::gui
