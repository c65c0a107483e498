// The programmer's --screenshot: pictures of its windows for the manual, taken offscreen.

#include "gui/screenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "gui/board_link.h"
#include "gui/dialogs/form5.h"
#include "gui/dialogs/form6.h"
#include "gui/dialogs/frames.h"
#include "gui/dialogs/programming_form.h"
#include "gui/main_window.h"
#include "gui/programmer.h"
#include "platform/platform_serial.h"
#include "texts/prompt_slots.h"

namespace kpx::gui {

namespace {

class SilentDialogs final : public UserDialogs {
  public:
    DialogAnswer Message(const std::string& text, DialogButtons, DialogIcon) override {
        std::fprintf(stderr, "kpx41-programmer: %s\n", text.c_str());
        return DialogAnswer::No;
    }
};

// Saves windows' pictures; a failure is reported, and the rest are still taken.
class Camera {
  public:
    Camera(QString dir, QString* error) : dir_(std::move(dir)), error_(error) {}
    void Take(QWidget* w, const QString& name) {
        QApplication::processEvents();
        if (w->grab().save(dir_ + "/" + name + ".png", "PNG")) return;
        if (error_) *error_ = "cannot write " + dir_ + "/" + name + ".png";
        ok_ = false;
    }
    bool Ok() const { return ok_; }

  private:
    QString dir_;
    QString* error_;
    bool ok_ = true;
};

// The two pages, the editors opened from the code page, and the prompt pages.
void TakePages(MainWindow& w, Camera& camera) {
    w.EMoptCode_Click();
    camera.Take(&w, "picSet1");
    w.EMoptStatus_Click();
    camera.Take(&w, "picSet2");
    // Capcode 1's function bits, the message status.
    for (QDialog* editor : std::initializer_list<QDialog*>{new Form5(w, 3, &w), new Form6(w, &w)}) {
        editor->show();
        camera.Take(editor, editor->objectName());
        editor->done(QDialog::Accepted);
        delete editor;
    }
    // The text page in German (national letters), the glyph page and keyboard in Russian.
    auto* languages = w.findChild<QComboBox*>("cboLng");
    languages->setCurrentIndex(kLanguageRowGerman);
    w.EMoptPrompts_Click();
    camera.Take(&w, "picSet5");
    languages->setCurrentIndex(kRussianRow);
    w.EMoptPrompts_Click();
    camera.Take(&w, "picSet6");
    if (auto* keyboard = w.findChild<QWidget*>("Form3")) {
        keyboard->adjustSize();
        camera.Take(keyboard, "Form3");
    }
    w.EMoptCode_Click();
    languages->setCurrentIndex(0);
}

// The programming dialog in production mode, half-way through a pager.
void TakeProgrammingDialog(MainWindow& w, UserDialogs& dialogs, Camera& camera) {
    PlatformSerial serial;
    const auto eeprom = SimulatedEeprom(serial.clock);
    BoardLink link(w, serial.port, serial.lister, serial.registry, dialogs, eeprom.get());
    w.findChild<QRadioButton*>("WriteOpt")->setChecked(true);
    Form2 form(link.UsbForDialog(), link.LptForDialog(), link.Host(), dialogs, w.Image(),
               kOperationWrite, true, true, &w);
    form.show();
    QApplication::processEvents();
    form.SetAutoLabelText(1, " 1st capcode : 1234567");
    form.SetAutoLabelText(2, " 2nd capcode : 0000042");
    form.SetButtonsEnabled(false);
    form.SetProgressMax(kImageLast - 16);
    form.SetProgressColour(ProgressColour::Highlight);
    form.SetProgressValue(640);
    form.SetStatus("Writing Now.......");
    camera.Take(&form, "Form2");
    form.done(QDialog::Accepted);
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
    Camera camera(dir, error);
    TakePages(w, camera);
    AboutWindow about(settings, "130-180MHz", &w);
    about.show();
    camera.Take(&about, "about");
    about.close();
    TakeProgrammingDialog(w, dialogs, camera);
    return camera.Ok();
}

}  // namespace kpx::gui
