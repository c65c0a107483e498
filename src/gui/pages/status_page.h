#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QVBoxLayout>

#include "gui/pages/page_host.h"

namespace kpx::gui {

class CtlEBSlider;

// The "Alerts and Status" page picSet2: the pager's menu and its fixed tone, the tagged options
// and lists, sequential lockout and out-of-service reminder, the battery gauge levels, the two
// passwords and the screen contrast. It fills the window's reader steps for them.
class StatusPage : public QObject {
    Q_OBJECT
  public:
    // Builds picSet2 into the window's panel stack.
    StatusPage(PageHost& window, QWidget* panels);
    ~StatusPage() override;

    QWidget* Page() const { return picSet2_; }
    // The power-up logo frame, owned by the prompt texts, has its place on this page.
    void PlaceLogoFrame(QWidget* frame);

    // ---- handlers ----
    void chkMenu_Click(int index);
    void cboTone_Click();
    void cboSLC_Click();
    void cboORC_Click();
    void cboBatLev_Click(int index);
    void Slider1_Changed();
    void txtPass_GotFocus(int index);
    void txtPass_KeyUp(int index);
    void txtPass_LostFocus(int index);

    // ---- readers (steps of init_ctl) ----
    void read_pass();
    void read_BatLev();
    void read_pager_menu();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildMenuFrame();
    QWidget* BuildPasswordFrame();
    QWidget* BuildListsFrame();
    QWidget* BuildBatteryFrame();
    QWidget* BuildContrastFrame();
    QComboBox* MakeList(const QString& name, QWidget* parent);
    void read_contrast();
    int PasswordBox(QObject* watched) const;

    PageHost& window_;
    QWidget* picSet2_ = nullptr;
    QVBoxLayout* rightColumn_ = nullptr;
    QCheckBox* chkMenu_[7] = {};
    QComboBox* cboTone_ = nullptr;
    QComboBox* cboSLC_ = nullptr;
    QComboBox* cboORC_ = nullptr;
    QComboBox* cboBatLev_[3] = {};
    QLineEdit* txtPass_[2] = {};
    CtlEBSlider* slider1_ = nullptr;
    QLabel* lblContrast_ = nullptr;
    QLabel* lblValue_ = nullptr;
};

}  // namespace kpx::gui
