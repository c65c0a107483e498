#pragma once

#include <QComboBox>
#include <QDialog>
#include <QProgressBar>

#include "gui/dialogs/editor_host.h"
#include "settings/alerts.h"
#include "texts/allocation.h"

namespace kpx::gui {

class NCommand;

// Form6, "Personal and Mail Drop Status Control": alert length, history places and memory of
// the personal address and the 14 mail drops, within 27 KB of memory and 70 history places.
// Every change goes into the image at once and refreshes the main window's status table.
class Form6 : public QDialog {
    Q_OBJECT
  public:
    explicit Form6(EditorHost& window, QWidget* parent = nullptr);

    void Form_Load();
    void cboPersonal_Click();
    void cboMailAler_Click(int drop);
    void cboHis_Click(int drop);
    void cboMem_Click(int index);
    void Command1_Click() { accept(); }

  private:
    void ShowTotal(QProgressBar* bar, int total);
    // Puts a list on a row without running its handler (a budget correction or refusal).
    void SetRow(QComboBox* list, std::optional<int> row);

    EditorHost& window_;
    bool loading_ = false;
    QComboBox* cboPersonal_ = nullptr;
    QComboBox* cboMailAler_[kMailDrops] = {};
    QComboBox* cboHis_[kMailDrops] = {};
    QComboBox* cboMem_[kMailDrops + 1] = {};
    QProgressBar* pbTotal_ = nullptr;
    QProgressBar* pbMem_ = nullptr;
    NCommand* Command1_ = nullptr;
};

}  // namespace kpx::gui
