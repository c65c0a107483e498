#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "gui/pages/page_host.h"
#include "image/default_image.h"
#include "image/field_tags.h"
#include "image/pager_image.h"
#include "settings/frequency.h"
#include "support/user_dialogs.h"
#include "timing/timing.h"

namespace kpx {
class UserSettings;
}

namespace kpx::gui {

class CodePage;
class ImageHistory;
class RecentFiles;
class PromptPage;
class StatusPage;
class TabBack;

// The programmer's main window, the frame of the pages: menus, mode and page buttons, the image
// and the window's state. init_ctl rewrites every control from the image through the readers
// the pages install. The pages reach the window only as their PageHost.
class MainWindow : public QMainWindow, public PageHost {
    Q_OBJECT
  public:
    MainWindow(const ProgramSettings& settings, UserDialogs& dialogs, QString programFolder,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load step of start-up; enableSplashTimer2 starts the splash's closing timer.
    void Load(const std::function<void()>& enableSplashTimer2 = {});

    const FrequencyState& Frequency() const;
    QString ProgramFolder() const { return programFolder_; }
    // The client area's size at which every control has room at the design font.
    QSize DesignSize() const { return {designWidth_, designHeight_}; }

    // ---- the refresh ----
    void init_ctl();
    void ReadTaggedControls();
    // A whole new image (table file, pager read): band recognition, then the refresh with
    // loadingImage raised.
    void RefreshFromNewImage();

    // ---- the pages' host ----
    PagerImage& Image() override { return image_; }
    UserDialogs& Dialogs() override { return dialogs_; }
    void RunReader(ReaderStep step) override;
    void ApplyTaggedVisibility() override;
    WindowState& State() override { return state_; }
    const ProgramSettings& Settings() const override { return settings_; }
    QWidget* Frame() override { return this; }
    void RefreshControls() override { init_ctl(); }
    void InstallReader(ReaderStep step, std::function<void()> reader) override;
    void OnTaggedVisibility(std::function<void(const TaggedVisibility&)> apply) override;
    QCheckBox* MakeTaggedCheckBox(int index, QWidget* parent) override;
    QComboBox* MakeTaggedList(int index, QWidget* parent) override;
    QWidget* TabBackground() const override;
    void AddPage(QWidget* page) override;
    void ShowPage(QWidget* page) override;
    void PlaceLogoFrame(QWidget* frame) override;
    bool ModifyMode() const override;
    bool LoadFinished() const override { return loadFinished_; }

    // The Pager menu follows the board watch.
    void SetPagerMenuEnabled(bool enabled);
    QLabel* MessageLabel() const { return lblMsg_; }
    Clock& WindowClock() { return *clock_; }
    kpx::Timing& WindowTiming() { return timing_; }
    QTimer* Timer1() { return &timer1_; }

    // Seams for the serial link: the programming dialog run by Read/Write/Verify (argument:
    // ProgramOperation), the start-up probe, and the board watch tick.
    std::function<void(int)> ShowProgrammingDialog;
    std::function<void()> StartupProbe;
    std::function<void()> Timer1_Timer;
    // The production station, opened from the Pager menu.
    std::function<void()> ShowProductionStation;
    // Whether a probe or a transfer is talking to the board (Space must not start a write then).
    std::function<bool()> LinkBusy;

    // The file dialog; tests replace it. Returns an empty string for cancel.
    std::function<QString(bool save)> ChooseFile;
    // Where the file dialogs open: the program folder, or for an installed program (one that
    // keeps its settings in store) the folder last used, else the home folder.
    // The recent files are kept there too.
    void KeepDialogFolderIn(UserSettings* store);
    QString DialogFolder() const;

    // ---- handlers ----
    void chkCtl_Click(int index);
    void cboCtl_Click(int index);
    void ModifyOpt_Click();
    void WriteOpt_Click();
    void EMoptCode_Click();
    void EMoptStatus_Click();
    void EMoptPrompts_Click();
    void mnuEntire_Click() { RunPagerCommand(0); }
    void mnuEB_Click() { RunPagerCommand(1); }
    void mnuEB1_Click() { RunPagerCommand(2); }
    void mnuAbout_Click();
    bool TableFileOpen();
    // File/Open of a file chosen elsewhere (the command line, a drop, the recent files).
    bool OpenFile(const QString& path);
    bool TableFileSave();
    // Seams of the unsaved-copy keeper: the image is about to be replaced (Open, Read), and
    // the image as it stands needs no keeping (a file holds it, or it is the start-up image).
    std::function<void()> BeforeImageReplaced;
    std::function<void()> ImageHeld;
    void mnuSBTF_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    QLayout* BuildModeStrip(QWidget* central);
    QWidget* BuildPanels(QWidget* central);
    void ConnectControls();
    // The bytes shown at start-up, before any table file: the built-in image on the 130 MHz band.
    void LoadDefaultImage();
    void RunPagerCommand(int operation);
    // Leaves the box being edited; false (and the flag lowered) when its value was refused.
    bool EntryAccepted();
    bool OpenTable(const QString& path);
    void FileUsed(const QString& path);
    void UpdateCaption(const QString& path);
    void NoteDialogFolder(const QString& chosen);
    bool IsMenuShortcut(const QKeyEvent& key) const;
    void Rescale();
    // The panels in a scroll area: where even the smallest readable font leaves the page no
    // room, the page scrolls.
    QWidget* ScrolledPages(QWidget* parent);
    // The minimum size: 1000x700, or less where the screen has less room.
    void FitMinimumToScreen();
    // The room the controls need, with the whole page in place of its scrolled view.
    QSize NeededSize() const;
    // Sets the fonts for a scale of the design size; false once they are at the smallest size.
    bool ScaleFonts(double scale);
    const ProgramSettings& settings_;
    UserDialogs& dialogs_;
    QString programFolder_;
    UserSettings* folderStore_ = nullptr;
    std::unique_ptr<Clock> clock_;
    kpx::Timing timing_;
    PagerImage image_;
    WindowState state_;
    std::map<ReaderStep, std::function<void()>> readers_;
    std::vector<std::function<void(const TaggedVisibility&)>> onTaggedVisibility_;
    bool loadFinished_ = false;
    int designWidth_ = 0;
    int designHeight_ = 0;
    double baseFontSize_ = 0;

    QMenu* mnuPager_ = nullptr;
    QLabel* lblMsg_ = nullptr;
    TabBack* picTabBack_ = nullptr;
    QStackedWidget* panels_ = nullptr;
    QScrollArea* pageScroll_ = nullptr;
    QCheckBox* chkCtl_[26] = {};
    QComboBox* cboCtl_[10] = {};
    QRadioButton* modifyOpt_ = nullptr;
    QRadioButton* writeOpt_ = nullptr;
    QPushButton* emoptCode_ = nullptr;
    QPushButton* emoptStatus_ = nullptr;
    QPushButton* emoptPrompts_ = nullptr;
    QTimer timer1_;
    // The pages; they are part of the window.
    std::unique_ptr<CodePage> codePage_;
    std::unique_ptr<StatusPage> statusPage_;
    std::unique_ptr<PromptPage> prompts_;
    // The frame's own keepers: Undo/Redo and the recent files.
    std::unique_ptr<ImageHistory> history_;
    std::unique_ptr<RecentFiles> recent_;
};

}  // namespace kpx::gui
