#pragma once

#include <QBoxLayout>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <array>
#include <memory>

#include "texts/prompt_slots.h"

namespace kpx::gui {

class PageHost;
class GlyphPage;

// A prompt's text box. Its character limit holds what the user types; a text the program puts
// in (a stored slot, an aligned logo with its blanks) is kept whole, however long.
class PromptBox : public QLineEdit {
    Q_OBJECT
  public:
    PromptBox(int index, QWidget* parent);
    int CharLimit() const { return charLimit_; }
    void SetCharLimit(int limit) { charLimit_ = limit; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // Runs a user's edit; one that makes the text longer than the limit is undone.
    template <class Edit>
    void Limited(Edit&& edit);
    int charLimit_;
};

// The prompt editor: the text page picSet5 with txtPrompt(1..32), its alignment buttons and
// "Load Default", the logo group on the "Alerts and Status" page (txtPrompt(0), cboLogo,
// cboLng), and the glyph page for Russian. It installs the window's prompt readers.
class PromptPage : public QObject {
    Q_OBJECT
  public:
    explicit PromptPage(PageHost& window);
    ~PromptPage() override;

    // The logo text of the settings, stored by the load step.
    void StoreStartupLogo();
    // "Prompts Edit": the text page, or in Russian the glyph page with its keyboard.
    void ShowPages();
    // Another page comes to the front.
    void LeavePages();

    void read_prompt();
    void Set_PromptEd_Width();
    void txtPrompt_GotFocus(int index) { ActivePromptIndex = index; }
    bool txtPrompt_KeyPress(int index, int key);  // true when the key is swallowed
    void txtPrompt_LostFocus(int index);
    void cboLng_Click();
    void cboLogo_Click();
    void optDefault_Click();
    void optLeft_Click(int index);
    void optCenter_Click(int index);
    void optRight_Click(int index);

    int ActivePromptIndex = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildTextPage();
    QWidget* BuildLogoFrame();
    void ReadLanguageRow();
    void ReadLogoFont();
    // ActivePromptIndex follows the focus into a prompt box.
    void FollowFocus(QWidget* focused);
    void ApplyFont(PromptBox* box, const EditFont& font);
    enum class Align { Left, Centre, Right };
    void AlignBox(int index, Align align);
    void AddAlignButtons(int index, QWidget* parent, QBoxLayout* layout);

    PageHost& window_;
    std::array<PromptBox*, kPromptCount> txtPrompt_{};
    std::array<QLabel*, kPromptCount> captions_{};
    QLabel* lblEdLen_ = nullptr;
    QComboBox* cboLng_ = nullptr;
    QComboBox* cboLogo_ = nullptr;
    QWidget* picSet5_ = nullptr;
    std::unique_ptr<GlyphPage> glyphs_;
};

}  // namespace kpx::gui
