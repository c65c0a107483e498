#include "gui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "gui/dialogs/frames.h"
#include "gui/dialogs/qt_dialogs.h"
#include "gui/file_drop.h"
#include "gui/help_manual.h"
#include "gui/image_history.h"
#include "gui/pages/code_page.h"
#include "gui/pages/prompt_page.h"
#include "gui/pages/status_page.h"
#include "gui/recent_files.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"
#include "image/charmap.h"
#include "image/field_tags.h"
#include "image/table_file.h"
#include "platform/steady_clock.h"
#include "settings/bands.h"

namespace kpx::gui {

// The tab background: paints its picture tiled and takes the focus when the mouse is over it,
// so that a box being edited runs its leave-validation.
class TabBack : public QWidget {
  public:
    explicit TabBack(QWidget* parent) : QWidget(parent) {
        setObjectName("picTabBack");
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
        tile_ = QPixmap(24, 24);
        tile_.fill(QColor(206, 214, 228));
        QPainter p(&tile_);
        p.setPen(QColor(190, 199, 216));
        p.drawLine(0, 23, 23, 0);
        p.drawLine(0, 11, 11, 0);
        p.drawLine(12, 23, 23, 12);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int w = tile_.width();
        const int h = tile_.height();
        for (int i = 0; i <= width() / w; ++i) {
            for (int j = 0; j <= height() / h; ++j) p.drawPixmap(i * w, j * h, tile_);
        }
    }
    void mouseMoveEvent(QMouseEvent*) override { setFocus(Qt::MouseFocusReason); }

  private:
    QPixmap tile_;
};

namespace {


}  // namespace

MainWindow::MainWindow(const ProgramSettings& settings, UserDialogs& dialogs, QString programFolder,
                       QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)),
      clock_(std::make_unique<SteadyClock>()),
      timing_(*clock_) {
    setObjectName("frmMain");
    state_.currentTablePath = programFolder_ + "/default.tbl";
    ChooseFile = [this](bool save) {
        QFileDialog::Options options;
        if (save) options |= QFileDialog::DontConfirmOverwrite;  // the window asks itself
        const QString filter = "Table files (*.tbl);;All files (*)";
        const QString folder = DialogFolder();
        return save
                   ? QFileDialog::getSaveFileName(this, "Save As", folder, filter, nullptr, options)
                   : QFileDialog::getOpenFileName(this, "Open", folder, filter, nullptr, options);
    };

    BuildMenus();
    auto* central = new QWidget(this);
    central->setObjectName("frmMainClient");
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(4);
    v->addLayout(BuildModeStrip(central));
    v->addWidget(BuildPanels(central), 1);
    lblMsg_ = MakeLabel("lblMsg", "Message:", central);
    lblMsg_->setVisible(false);
    v->addWidget(lblMsg_);
    ConnectControls();

    // The window may be made smaller than its controls' room at the design font; the rescaling
    // then scales them down.
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
    FitMinimumToScreen();

    modifyOpt_->setChecked(true);
    EMoptCode_Click();
    // The window previews key presses (Space in Write Mode).
    qApp->installEventFilter(this);
    // After the window's own filter, so that the history sees a text box's Ctrl+Z first.
    history_ = std::make_unique<ImageHistory>(*this);
    recent_ = std::make_unique<RecentFiles>(*this);
    new FileDrop(*this);
    new HelpManual(*this);
}

// Modify and Write Mode, and the buttons that bring the pages to the front.
QLayout* MainWindow::BuildModeStrip(QWidget* central) {
    auto* strip = new QHBoxLayout;
    modifyOpt_ = new QRadioButton("Modify Mode", central);
    modifyOpt_->setObjectName("ModifyOpt");
    writeOpt_ = new QRadioButton("Write Mode", central);
    writeOpt_->setObjectName("WriteOpt");
    strip->addWidget(modifyOpt_);
    strip->addWidget(writeOpt_);
    strip->addStretch(1);
    emoptCode_ = new QPushButton("Code and Features", central);
    emoptCode_->setObjectName("EMoptCode");
    emoptStatus_ = new QPushButton("Alerts and Status", central);
    emoptStatus_->setObjectName("EMoptStatus");
    emoptPrompts_ = new QPushButton("Prompts Edit", central);
    emoptPrompts_->setObjectName("EMoptPrompts");
    for (auto* b : {emoptCode_, emoptStatus_, emoptPrompts_}) {
        b->setFocusPolicy(Qt::NoFocus);
        strip->addWidget(b);
    }
    return strip;
}

// The tab background with the stack of pages on it.
QWidget* MainWindow::BuildPanels(QWidget* central) {
    picTabBack_ = new TabBack(central);
    auto* backLayout = new QVBoxLayout(picTabBack_);
    backLayout->setContentsMargins(8, 8, 8, 8);
    panels_ = new QStackedWidget(picTabBack_);
    panels_->setObjectName("panels");
    codePage_ = std::make_unique<CodePage>(*this, panels_);
    statusPage_ = std::make_unique<StatusPage>(*this, panels_);
    panels_->addWidget(codePage_->Page());
    panels_->addWidget(statusPage_->Page());
    prompts_ = std::make_unique<PromptPage>(*this);
    backLayout->addWidget(ScrolledPages(picTabBack_));
    return picTabBack_;
}

void MainWindow::ConnectControls() {
    timer1_.setObjectName("Timer1");
    timer1_.setInterval(3000);
    connect(&timer1_, &QTimer::timeout, this, [this] {
        if (Timer1_Timer) Timer1_Timer();
    });
    connect(modifyOpt_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) ModifyOpt_Click();
    });
    connect(writeOpt_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) WriteOpt_Click();
    });
    connect(emoptCode_, &QPushButton::clicked, this, &MainWindow::EMoptCode_Click);
    connect(emoptStatus_, &QPushButton::clicked, this, &MainWindow::EMoptStatus_Click);
    connect(emoptPrompts_, &QPushButton::clicked, this, &MainWindow::EMoptPrompts_Click);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("mnuFile");
    auto add = [this](QMenu* menu, const char* name, const QString& caption,
                      const QKeySequence& key, auto slot) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        if (!key.isEmpty()) a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add(file, "mnuLBFF", "Open", QKeySequence("Ctrl+O"), [this] { TableFileOpen(); });
    add(file, "mnuSBTF", "Save", QKeySequence("Ctrl+S"), [this] { mnuSBTF_Click(); });
    add(file, "mnuSA", "Save As...", QKeySequence(), [this] { TableFileSave(); });
    file->addSeparator()->setObjectName("mnudash");
    QAction* exit =
        add(file, "mnuExit", "Exit", QKeySequence("Ctrl+E"), [] { QApplication::exit(0); });
    // Also from the Cyrillic keyboard window; a modal dialog still holds it back.
    exit->setShortcutContext(Qt::ApplicationShortcut);

    mnuPager_ = menuBar()->addMenu("Pager");
    mnuPager_->setObjectName("mnuPager");
    add(mnuPager_, "mnuEntire", "Read", QKeySequence(Qt::Key_F3), [this] { mnuEntire_Click(); });
    add(mnuPager_, "mnuEB", "Write", QKeySequence(Qt::Key_F4), [this] { mnuEB_Click(); });
    add(mnuPager_, "mnuEB1", "Verfy", QKeySequence(Qt::Key_F9), [this] { mnuEB1_Click(); });
    mnuPager_->addSeparator();
    add(mnuPager_, "mnuStation", "Production Station...", QKeySequence(), [this] {
        if (ShowProductionStation) ShowProductionStation();
    });
    // Enabled only while the board watch sees the board.
    SetPagerMenuEnabled(false);

    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("mnuHelp");
    add(help, "mnuAbout", "About", QKeySequence(), [this] { mnuAbout_Click(); });
}

void MainWindow::SetPagerMenuEnabled(bool enabled) {
    mnuPager_->setEnabled(enabled);
    mnuPager_->menuAction()->setEnabled(enabled);
    for (QAction* a : mnuPager_->actions()) a->setEnabled(enabled);
}

QCheckBox* MainWindow::MakeTaggedCheckBox(int index, QWidget* parent) {
    const FieldTag* tag = CheckBoxTag(index);
    auto* c = new QCheckBox(tag ? Q(tag->caption) : QString(), parent);
    c->setObjectName(Indexed("chkCtl", index));
    chkCtl_[index] = c;
    connect(c, &QCheckBox::toggled, this, [this, index] { chkCtl_Click(index); });
    return c;
}

QComboBox* MainWindow::MakeTaggedList(int index, QWidget* parent) {
    const FieldTag* tag = ListTag(index);
    auto* c = new QComboBox(parent);
    c->setObjectName(Indexed("cboCtl", index));
    if (tag) {
        for (auto row : tag->rows) c->addItem(Q(row));
    }
    c->setCurrentIndex(-1);
    cboCtl_[index] = c;
    OnListClick(c, this, [this, index] { cboCtl_Click(index); });
    return c;
}

// ---------------------------------------------------------------- start-up

void MainWindow::Load(const std::function<void()>& enableSplashTimer2) {
    timing_.CalibrateLoop();
    if (enableSplashTimer2) enableSplashTimer2();
    designWidth_ = centralWidget()->width() > 0 ? centralWidget()->width() : 1;
    designHeight_ = centralWidget()->height() > 0 ? centralWidget()->height() : 1;
    baseFontSize_ = centralWidget()->font().pointSizeF();
    LoadDefaultImage();

    // The registry and serial-device objects and the board probe come with the serial link.
    if (StartupProbe) StartupProbe();

    prompts_->StoreStartupLogo();
    loadFinished_ = true;

    state_.contrastChanged = false;

    if (QFileInfo::exists(programFolder_ + "/default.tbl")) {
        state_.currentTablePath = programFolder_ + "/default.tbl";
        state_.useCurrentPath = true;
        TableFileOpen();
        state_.useCurrentPath = false;
    }

    // The design size is where every control has room at the design font: the window's size,
    // or more where the controls need more, so that a smaller window scales them down.
    FitMinimumToScreen();
    const QSize need = NeededSize();
    designWidth_ = std::max(designWidth_, need.width());
    designHeight_ = std::max(designHeight_, need.height());
    Rescale();
    history_->Reset();
    if (ImageHeld) ImageHeld();
}

void MainWindow::LoadDefaultImage() {
    image_ = BuildDefaultImage();
    setWindowTitle(QString("Brightwater ") + QString(kProductVersionText).left(5) + " Basic(USB)" +
                   QString(kProductVersionText).mid(6));
    lblMsg_->setVisible(true);
    codePage_->SelectStartupBand();
}

const FrequencyState& MainWindow::Frequency() const {
    return codePage_->Frequency();
}

// ---------------------------------------------------------------- refresh

void MainWindow::InstallReader(ReaderStep step, std::function<void()> reader) {
    readers_[step] = std::move(reader);
}

void MainWindow::RunReader(ReaderStep step) {
    auto it = readers_.find(step);
    if (it != readers_.end() && it->second) it->second();
}

void MainWindow::init_ctl() {
    RunReader(ReaderStep::Capcodes);
    ReadTaggedControls();
    ApplyTaggedVisibility();
    RunReader(ReaderStep::SequentialLockout);
    RunReader(ReaderStep::OutOfService);
    RunReader(ReaderStep::PromptLanguage);
    RunReader(ReaderStep::PromptWidths);
    RunReader(ReaderStep::Contrast);
    RunReader(ReaderStep::AddressType);
    RunReader(ReaderStep::Tone);
    RunReader(ReaderStep::Frequency);
    RunReader(ReaderStep::Prompts);
    RunReader(ReaderStep::Display);
    RunReader(ReaderStep::Type);
    RunReader(ReaderStep::FunctionEnable);
    RunReader(ReaderStep::Priority);
    RunReader(ReaderStep::Password);
    RunReader(ReaderStep::BatteryLevels);
    RunReader(ReaderStep::Alerts);
    RunReader(ReaderStep::PagerMenu);
}

void MainWindow::ReadTaggedControls() {
    for (const FieldTag& tag : FieldTags()) {
        switch (tag.kind) {
            case TagKind::Chk:
            case TagKind::ChkN:
                if (auto* c = chkCtl_[tag.index]) c->setChecked(ReadCheckBox(image_, tag));
                break;
            case TagKind::Cbo:
            case TagKind::CboBaud:
                if (auto* c = cboCtl_[tag.index]) c->setCurrentIndex(ReadListRow(image_, tag));
                break;
            case TagKind::Lng:
                break;
        }
    }
    RunReader(ReaderStep::LogoFont);
}

void MainWindow::RefreshFromNewImage() {
    codePage_->DetectBandFromImage();
    state_.loadingImage = true;
    init_ctl();
    state_.loadingImage = false;
}

// ---------------------------------------------------------------- tagged controls

void MainWindow::chkCtl_Click(int index) {
    const bool checked = chkCtl_[index]->isChecked();
    if (const FieldTag* tag = CheckBoxTag(index)) WriteCheckBox(image_, *tag, checked);
    if (index == 17 || index == 22 || (index >= 10 && index <= 13)) ApplyTaggedVisibility();
}

void MainWindow::ApplyTaggedVisibility() {
    const TaggedVisibility v = VisibilityFor(image_);
    chkCtl_[3]->setVisible(v.chk3);
    chkCtl_[21]->setVisible(v.chk21);
    chkCtl_[20]->setVisible(v.chk20);
    // txtPass(1) and the capcode-disable notes live on the status page and the function table.
    for (const auto& apply : onTaggedVisibility_) apply(v);
}

void MainWindow::OnTaggedVisibility(std::function<void(const TaggedVisibility&)> apply) {
    onTaggedVisibility_.push_back(std::move(apply));
}

void MainWindow::cboCtl_Click(int index) {
    const int row = cboCtl_[index]->currentIndex();
    if (row < 0) return;
    if (const FieldTag* tag = ListTag(index)) WriteListRow(image_, *tag, row);
    if (index == 3) ApplyTaggedVisibility();
}

// ---------------------------------------------------------------- modes, keys, tabs

bool MainWindow::ModifyMode() const {
    return modifyOpt_->isChecked();
}

static void ApplyMode(QWidget* root, bool modify) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        const QString prefix = w->objectName().left(3);
        if (prefix == "Sli") {
            w->setVisible(modify);
        } else if (prefix == "txt" || prefix == "opt" || prefix == "cbo" || prefix == "chk" ||
                   prefix == "cmd") {
            w->setEnabled(modify);
        }
    }
}

void MainWindow::ModifyOpt_Click() {
    ApplyMode(this, true);
}
void MainWindow::WriteOpt_Click() {
    ApplyMode(this, false);
}

void MainWindow::EMoptCode_Click() {
    emoptCode_->setVisible(false);
    emoptStatus_->setVisible(true);
    emoptPrompts_->setVisible(true);
    ShowPage(codePage_->Page());
    prompts_->LeavePages();
}

void MainWindow::EMoptStatus_Click() {
    emoptStatus_->setVisible(false);
    emoptCode_->setVisible(true);
    emoptPrompts_->setVisible(true);
    ShowPage(statusPage_->Page());
    prompts_->LeavePages();
}

void MainWindow::EMoptPrompts_Click() {
    emoptPrompts_->setVisible(false);
    emoptCode_->setVisible(true);
    emoptStatus_->setVisible(true);
    prompts_->ShowPages();
}

void MainWindow::AddPage(QWidget* page) {
    panels_->addWidget(page);
}

void MainWindow::ShowPage(QWidget* page) {
    panels_->setCurrentWidget(page);
    page->setFocus();
}

void MainWindow::PlaceLogoFrame(QWidget* frame) {
    statusPage_->PlaceLogoFrame(frame);
}

QWidget* MainWindow::TabBackground() const {
    return picTabBack_;
}

bool MainWindow::IsMenuShortcut(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (QAction* a : menuBar()->findChildren<QAction*>()) {
        if (!a->shortcut().isEmpty() && a->shortcut() == pressed && a->isEnabled()) return true;
    }
    return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // The menu's keys come before a control's own use of them: on X11 a text box would take
    // Ctrl+E (File/Exit) as "end of line". A key that no shortcut takes in the end still
    // reaches the control.
    if (type == QEvent::ShortcutOverride && watched->isWidgetType() &&
        IsMenuShortcut(*static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && key->key() == Qt::Key_Space &&
            writeOpt_->isChecked()) {
            const bool onWriteOpt = widget == writeOpt_;
            if (mnuPager_->isEnabled() && !(LinkBusy && LinkBusy())) mnuEB_Click();
            if (onWriteOpt) writeOpt_->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program at once, splash or not.
    QMainWindow::closeEvent(event);
    QApplication::exit(0);
}

// ---------------------------------------------------------------- pager commands

void MainWindow::RunPagerCommand(int operation) {
    state_.ProgramOperation = operation;
    if (!EntryAccepted() || !ShowProgrammingDialog) return;
    const ImageHistory::Pause pause(*history_);
    if (operation == 0) {
        if (BeforeImageReplaced) BeforeImageReplaced();
        ShowProgrammingDialog(operation);
        return;
    }
    EncodeTextRegions(image_);
    ShowProgrammingDialog(operation);
    DecodeTextRegions(image_);
    if (operation == 1) init_ctl();
}

void MainWindow::mnuAbout_Click() {
    AboutWindow about(settings_, Q(kBandRowTexts[kBandRow130]), this);
    about.exec();
}

}  // namespace kpx::gui
