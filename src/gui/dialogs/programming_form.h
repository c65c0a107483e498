#pragma once

#include <QColor>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <memory>

#include "gui/widgets/custom_controls.h"
#include "link/programming_dialog.h"

namespace kpx::gui {

// The bar colour of PB1 while reading or verifying.
inline constexpr QRgb kProgressPurple = 0x800080;

// Form2, the programming dialog: the window shows it modally with the operation chosen; once up
// it runs the operation through the dialog logic. A plain read, write or verify closes it again;
// in auto-increase mode it waits for Write presses, one pager each.
class Form2 : public QDialog, public ProgrammingDialogView {
    Q_OBJECT
  public:
    // lpt is the parallel link, where the build has one.
    Form2(PagerTransfers& usb, PagerTransfers* lpt, LinkHost& host, UserDialogs& dialogs,
          PagerImage& image, int ProgramOperation, bool AutoIncrease1, bool AutoIncrease2,
          QWidget* parent = nullptr);
    ~Form2() override;

    // Carries out the operation; runs once, however often the dialog is activated.
    void Form_Activate();
    void cmdWrite_Click();
    void cmdExit_Click() { Unload(); }
    void Close1_Click() { Unload(); }

    ProgrammingDialog& Logic() { return *logic_; }
    // A transfer is running: the buttons and the close box are refused.
    bool Busy() const { return busy_; }

    // ProgrammingDialogView
    void SetProgressMax(int maximum) override;
    void SetProgressValue(int position) override;
    void SetProgressColour(ProgressColour colour) override;
    void SetStatus(const std::string& text) override;
    void ShowAutoLabel(int which, bool visible) override;
    void SetAutoLabelText(int which, const std::string& text) override;
    void ShowWriteButtons() override;
    void SetButtonsEnabled(bool enabled) override;
    void CloseDialog() override {
        closeWanted_ = true;
        Unload();
    }

  public slots:
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void Unload();
    void SetBusy(bool busy);

    std::unique_ptr<ProgrammingDialog> logic_;
    int operation_;
    bool autoIncrease1_;
    bool autoIncrease2_;
    bool activationQueued_ = false;
    bool busy_ = false;
    bool closeWanted_ = false;

    QProgressBar* PB1_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* Label2_ = nullptr;
    QLabel* lblAuto_[3] = {nullptr, nullptr, nullptr};
    QPushButton* cmdWrite_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    CloseBox* Close1_ = nullptr;
};

}  // namespace kpx::gui
