#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>

#include "gui/dialogs/editor_host.h"
#include "settings/function_table.h"

namespace kpx::gui {

class CloseBox;
class NCommand;

// Form5, the function-bit editor of one of capcodes 1-4 (element 3 for capcode 1, 0-2 for
// capcodes 2-4). Every change goes into the image at once and refreshes the main window's
// summary; there is no cancel. Closing brings the capcode-disable notes up to date.
class Form5 : public QDialog {
    Q_OBJECT
  public:
    Form5(EditorHost& window, int functionRow, QWidget* parent = nullptr);

    void Form_Load();
    void cboDisp_Click(int index);
    void cboType_Click(int index);
    void chkFunEn_Click(int index);
    void chkPri_Click(int index);
    void Command1_Click() { done(QDialog::Accepted); }
    void Close1_Click() { done(QDialog::Rejected); }

    void done(int result) override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Form_Unload();

    EditorHost& window_;
    int element_;
    bool loadingEditor_ = false;
    QLabel* Label3_ = nullptr;
    QComboBox* cboDisp_[kFunctionBits] = {};
    QComboBox* cboType_[kFunctionBits] = {};
    QCheckBox* chkPri_[kFunctionBits] = {};
    QCheckBox* chkFunEn_[kFunctionBits] = {};
    NCommand* Command1_ = nullptr;
    CloseBox* Close1_ = nullptr;
};

}  // namespace kpx::gui
