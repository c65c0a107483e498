#include "gui/dialogs/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>

#include "texts/cp1252.h"

namespace kpx::gui {

QString FromCp1252(const std::string& bytes) {
    return QString::fromStdString(Cp1252ToUtf8(bytes));
}

std::string ToCp1252(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

DialogAnswer QtUserDialogs::Message(const std::string& text, DialogButtons buttons,
                                    DialogIcon icon) {
    QMessageBox box(parent_);
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(FromCp1252(text));
    switch (icon) {
        case DialogIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case DialogIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case DialogIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case DialogIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    if (buttons == DialogButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? DialogAnswer::Yes : DialogAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return DialogAnswer::Ok;
}

}  // namespace kpx::gui
