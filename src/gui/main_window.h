#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

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

class FunctionTable;
class MessageStatus;
class PromptPage;
class StatusPage;
class TabBack;

// The programmer's main window. Handlers carry the names of the window's controls; they read
// the control, call the library and show the result. init_ctl rewrites every control from the
// image.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(const ProgramSettings& settings, UserDialogs& dialogs, QString programFolder,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load step of start-up; enableSplashTimer2 starts the splash's closing timer.
    void Load(const std::function<void()>& enableSplashTimer2 = {});

    PagerImage& Image() { return image_; }
    const FrequencyState& Frequency() const { return freq_; }
    const ProgramSettings& Settings() const { return settings_; }
    QString ProgramFolder() const { return programFolder_; }

    // Window flags.
    bool RefreshingControls = false;
    bool loadingImage = false;
    bool validationFailed = false;
    int ProgramOperation = 0;  // 0 read, 1 write, 2 verify
    int loadedContrast = 0;
    bool contrastChanged = false;
    bool AutoIncrease1 = false;
    bool AutoIncrease2 = false;
    int designWidth = 0;
    int designHeight = 0;
    QString currentTablePath;
    bool useCurrentPath = false;

    // ---- the refresh and its readers ----
    void init_ctl();
    void read_capcode();
    void ReadTaggedControls();
    void read_freq() { read_pll(); }
    void read_pll();

    // A whole new image (table file, pager read): band recognition, then the refresh with
    // loadingImage raised.
    void DetectBandFromImage();
    void RefreshFromNewImage();

    bool ModifyMode() const;
    // The Pager menu follows the board watch.
    void SetPagerMenuEnabled(bool enabled);
    QLabel* MessageLabel() const { return lblMsg_; }
    Clock& WindowClock() { return *clock_; }
    kpx::Timing& WindowTiming() { return timing_; }
    QTimer* Timer1() { return &timer1_; }
    bool LoadFinished() const { return loadFinished_; }
    // Pages of the pieces: added to the panel stack, brought to the front with the focus.
    void AddPage(QWidget* page);
    void ShowPage(QWidget* page);
    // The logo group's place on the "Alerts and Status" page.
    void PlaceLogoFrame(QWidget* frame);

    // Seams for the serial link: the programming dialog run by Read/Write/Verify (argument:
    // ProgramOperation), the start-up probe, and the board watch tick.
    std::function<void(int)> ShowProgrammingDialog;
    std::function<void()> StartupProbe;
    std::function<void()> Timer1_Timer;
    // The production station, opened from the Pager menu.
    std::function<void()> ShowProductionStation;
    // Whether a probe or a transfer is talking to the board (Space must not start a write then).
    std::function<bool()> LinkBusy;
    // Reader steps of init_ctl that the window's pieces fill in, run in init_ctl's order.
    enum class ReaderStep {
        SequentialLockout,
        OutOfService,
        LogoFont,
        PromptLanguage,
        PromptWidths,
        Contrast,
        AddressType,
        Tone,
        Prompts,
        Display,
        Type,
        FunctionEnable,
        Priority,
        Password,
        BatteryLevels,
        Alerts,
        PagerMenu
    };
    std::map<ReaderStep, std::function<void()>> Readers;
    // Runs one reader step (the editor windows refresh the summaries they change).
    void RunReader(ReaderStep step);
    // Visibility of controls that follow tagged controls, for the pieces that own them
    // (txtPass(1), the capcode-disable notes).
    std::vector<std::function<void(const TaggedVisibility&)>> OnTaggedVisibility;
    // Applies the visibility rules again (after a change the tags do not see, such as Form5's).
    void ApplyTaggedVisibility();
    // The prompt editor's seams: the logo text stored by the load step, the page that "Prompts
    // Edit" shows (with the keyboard in Russian), and turning to another page.
    std::function<void()> StoreStartupLogo;
    std::function<void()> ShowPromptPages;
    std::function<void()> LeavePromptPages;

    // The generic binding: a check box or list bound to its tag, for the pages that place them.
    QCheckBox* MakeTaggedCheckBox(int index, QWidget* parent);
    QComboBox* MakeTaggedList(int index, QWidget* parent);
    // The tab background, where Enter in an entry box sends the focus.
    QWidget* TabBackground() const;
    UserDialogs& Dialogs() { return dialogs_; }

    // The file dialog; tests replace it. Returns an empty string for cancel.
    std::function<QString(bool save)> ChooseFile;
    // Where the file dialogs open: the program folder, or for an installed program (one that
    // keeps its settings in store) the folder last used, else the home folder.
    void KeepDialogFolderIn(UserSettings* store) { folderStore_ = store; }
    QString DialogFolder() const;

    // ---- handlers ----
    void cboDft_Click(int row);
    void cboChannel_Click(int index);
    void Combo1_Click(int index);
    void txtFreq_GotFocus();
    void txtFreq_KeyPress(int key);
    void txtFreq_KeyUp();
    void txtFreq_LostFocus();
    void txtAddr_GotFocus(int index);
    void txtAddr_LostFocus(int index);
    void optAuto1_Click();
    void optAuto2_Click();
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
    bool TableFileSave();
    void mnuSBTF_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    QWidget* BuildCodePanel();
    QWidget* BuildFrequencyFrame();
    QWidget* BuildCapcodeFrame();
    void ApplySpacingSelector(const SpacingSelector& selector);
    void SetFrequencyModVisible(bool visible);
    void SetBandwidthVisible(bool visible);
    void RunPagerCommand(int operation);
    void UpdateCaption(const QString& path);
    void NoteDialogFolder(const QString& chosen);
    bool IsMenuShortcut(const QKeyEvent& key) const;
    void Rescale();
    // Sets the fonts for a scale of the design size; false once they are at the smallest size.
    bool ScaleFonts(double scale);
    template <class T>
    T* Find(const QString& name) const {
        return findChild<T*>(name);
    }

    const ProgramSettings& settings_;
    UserDialogs& dialogs_;
    QString programFolder_;
    UserSettings* folderStore_ = nullptr;
    std::unique_ptr<Clock> clock_;
    kpx::Timing timing_;
    PagerImage image_;
    FrequencyState freq_;
    bool loadFinished_ = false;
    double baseFontSize_ = 0;

    QMenu* mnuPager_ = nullptr;
    QLabel* lblMsg_ = nullptr;
    TabBack* picTabBack_ = nullptr;
    QStackedWidget* panels_ = nullptr;
    QWidget* picSet1_ = nullptr;
    QWidget* picSet2_ = nullptr;
    QComboBox* cboDft_ = nullptr;
    QLineEdit* txtFreq_ = nullptr;
    QComboBox* cboChannel_[2] = {nullptr, nullptr};
    QComboBox* combo1_[2] = {nullptr, nullptr};
    QStackedWidget* channelFront_ = nullptr;
    QWidget* picture2_ = nullptr;
    QLabel* lblChannel_[2] = {nullptr, nullptr};
    QLabel* lblPLLR_ = nullptr;
    QLabel* lblPLLN_ = nullptr;
    QLabel* lblMUTL_ = nullptr;
    QLineEdit* txtAddr_[6] = {};
    QCheckBox* chkCtl_[26] = {};
    QComboBox* cboCtl_[10] = {};
    QRadioButton* modifyOpt_ = nullptr;
    QRadioButton* writeOpt_ = nullptr;
    QPushButton* emoptCode_ = nullptr;
    QPushButton* emoptStatus_ = nullptr;
    QPushButton* emoptPrompts_ = nullptr;
    QTimer timer1_;
    // The page pieces; they are part of the window.
    std::unique_ptr<StatusPage> statusPage_;
    std::unique_ptr<FunctionTable> functionTable_;
    std::unique_ptr<MessageStatus> messageStatus_;
    std::unique_ptr<PromptPage> prompts_;
};

}  // namespace kpx::gui
