#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>

#include "gui/pages/page_host.h"
#include "settings/function_table.h"

namespace kpx::gui {

// The function table beside the capcodes on picSet1: for capcodes 1-4 a "Fun. Bit" button that
// opens Form5 and four read-only summaries with the note that a capcode without an enabled
// function bit will be disabled; for capcodes 5 and 6 their type list, the tagged display list
// and the tagged priority box. Control-array elements of capcodes 1-4: 3 for capcode 1, 0-2
// for capcodes 2-4.
class FunctionTable : public QObject {
    Q_OBJECT
  public:
    FunctionTable(PageHost& window, QWidget* page);
    QWidget* Panel() const { return frame_; }

    // The element of the capcode whose editor is open.
    int FunctionRow = 3;

    void cmdFunc_Click(int index);
    void cboType_Click(int index);  // capcodes 5 and 6

    void read_Disp();
    void read_Type();
    void read_FunEn();
    void read_Pri();
    void read_AddressType();

  private:
    QWidget* BuildSummaryRow(int capcode, QWidget* parent);
    QWidget* BuildSingleRow(int capcode, QWidget* parent);
    QLineEdit* MakeSummary(const char* name, int element, QWidget* parent);

    PageHost& window_;
    QWidget* frame_ = nullptr;
    QPushButton* cmdFunc_[kFunctionRows] = {};
    QLineEdit* tlblType_[kFunctionRows] = {};
    QLineEdit* tlblDisp_[kFunctionRows] = {};
    QLineEdit* tlblPri_[kFunctionRows] = {};
    QLineEdit* tlblFunEn_[kFunctionRows] = {};
    QLineEdit* EnToolTip_[kFunctionRows] = {};
    QComboBox* cboType_[2] = {};
    int labels_ = 0;
};

}  // namespace kpx::gui
