#include "gui/dialogs/verify_differences.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "catalogue/field_catalogue.h"
#include "gui/dialogs/qt_dialogs.h"

namespace kpx::gui {

void OfferVerifyDifferences(QWidget* parent, UserDialogs& dialogs, const PagerImage& written,
                            const ImageBytes& pager) {
    if (!dialogs.AskYesNo(kShowDifferencesQuestion, DialogIcon::Warning)) return;
    QStringList lines;
    for (const std::string& line : DiffLines(DiffVerified(written, pager))) {
        lines << FromCp1252(line);
    }

    auto* dialog = new QDialog(parent);
    dialog->setObjectName("frmVerifyDiff");
    dialog->setWindowTitle("Settings that differ (window -> pager)");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QPlainTextEdit(lines.join("\n"), dialog);
    text->setObjectName("txtDifferences");
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog->resize(520, 260);
    // Window-modal but not blocking: the main window's command returns at once.
    dialog->open();
}

}  // namespace kpx::gui
