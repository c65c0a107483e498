#include "gui/unsaved_keeper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include "gui/main_window.h"
#include "image/table_file.h"

namespace kpx::gui {

namespace {

constexpr const char* kKeptText = "  Unsaved edits kept in ";
constexpr const char* kLastRunText = "  Unsaved edits of the last run were kept in ";

}  // namespace

UnsavedKeeper::UnsavedKeeper(MainWindow& window, std::string folder)
    : window_(window), folder_(std::move(folder)) {
    if (window_.LoadFinished()) held_ = window_.Image();
    window_.BeforeImageReplaced = [this] { KeepIfUnsaved(); };
    window_.ImageHeld = [this] {
        held_ = window_.Image();
        ShowLastRunsNote();
    };
    // Exit and the close box end the program at once, without a question.
    quit_ = QObject::connect(qApp, &QCoreApplication::aboutToQuit, [this] { KeepIfUnsaved(); });
}

UnsavedKeeper::~UnsavedKeeper() {
    QObject::disconnect(quit_);
    window_.BeforeImageReplaced = nullptr;
    window_.ImageHeld = nullptr;
}

std::string UnsavedKeeper::NotePath() const {
    return folder_ + "/unsaved.note";
}

QString UnsavedKeeper::KeepIfUnsaved() {
    if (!held_ || window_.Image() == *held_) return {};
    noteShown_ = true;  // a note of the last run is overwritten
    const QString folder = QFile::decodeName(folder_.c_str());
    QDir().mkpath(folder);
    const QString stamp = QDateTime::currentDateTimeUtc().toString("yyyyMMdd_HHmmss");
    QString path = folder + "/unsaved-" + stamp + ".tbl";
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = folder + QString("/unsaved-%1_%2.tbl").arg(stamp).arg(n);
    }
    const std::string file = QFile::encodeName(path).toStdString();
    if (!SaveTableFile(file, window_.Image()).empty()) return {};
    held_ = window_.Image();
    window_.MessageLabel()->setText(kKeptText + path);
    QFile note(QFile::decodeName(NotePath().c_str()));
    if (note.open(QIODevice::WriteOnly | QIODevice::Truncate)) note.write(file.c_str());
    return path;
}

void UnsavedKeeper::ShowLastRunsNote() {
    if (noteShown_) return;
    noteShown_ = true;
    QFile note(QFile::decodeName(NotePath().c_str()));
    if (!note.open(QIODevice::ReadOnly)) return;
    const QString path = QFile::decodeName(note.readAll());
    note.close();
    note.remove();
    if (!path.isEmpty()) window_.MessageLabel()->setText(kLastRunText + path);
}

}  // namespace kpx::gui
