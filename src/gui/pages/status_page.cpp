#include "gui/pages/status_page.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <algorithm>

#include "gui/dialogs/qt_dialogs.h"
#include "gui/widgets/custom_controls.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"
#include "settings/alerts.h"
#include "settings/panel_fields.h"
#include "settings/password.h"

namespace kpx::gui {

namespace {

const char* const kBatteryCaptions[kBatteryLevels] = {
    "Battery Gauge Level-Low", "Battery Gauge Level-Med", "Battery Gauge Level-High"};

// The tagged options of the page's option frame; the password options sit with the passwords.
const int kOptionBoxes[] = {0, 1, 2, 6, 16, 17, 3, 21, 18, 19, 20, 23, 24, 25};
const int kTaggedLists[] = {9, 5, 2, 4, 6, 3};

using Step = ReaderStep;

}  // namespace

StatusPage::StatusPage(PageHost& window, QWidget* panels)
    : QObject(window.Frame()), window_(window) {
    picSet2_ = new QWidget(panels);
    picSet2_->setObjectName("picSet2");
    picSet2_->setAutoFillBackground(true);
    auto* grid = new QGridLayout(picSet2_);

    auto* left = new QVBoxLayout;
    left->addWidget(BuildMenuFrame());
    left->addWidget(BuildPasswordFrame());
    left->addStretch(1);
    grid->addLayout(left, 0, 0, 2, 1);

    auto* options = MakeFrame("Frame6(0)", "Alerts and Status", picSet2_);
    auto* og = new QGridLayout(options);
    int n = 0;
    for (int index : kOptionBoxes) {
        og->addWidget(window_.MakeTaggedCheckBox(index, options), n % 7, n / 7);
        ++n;
    }
    grid->addWidget(options, 0, 1, 1, 2);
    grid->addWidget(BuildListsFrame(), 1, 1);

    rightColumn_ = new QVBoxLayout;
    rightColumn_->addWidget(BuildBatteryFrame());
    rightColumn_->addWidget(BuildContrastFrame());
    rightColumn_->addStretch(1);
    grid->addLayout(rightColumn_, 1, 2);
    grid->setRowStretch(1, 1);

    window_.InstallReader(Step::SequentialLockout, [this] {
        cboSLC_->setCurrentIndex(LockoutRowFromImage(window_.Image()));
    });
    window_.InstallReader(Step::OutOfService, [this] {
        cboORC_->setCurrentIndex(OutOfServiceRowFromImage(window_.Image()));
    });
    window_.InstallReader(Step::Contrast, [this] { read_contrast(); });
    window_.InstallReader(Step::Tone,
                          [this] { cboTone_->setCurrentIndex(ToneRowFromImage(window_.Image())); });
    window_.InstallReader(Step::Password, [this] { read_pass(); });
    window_.InstallReader(Step::BatteryLevels, [this] { read_BatLev(); });
    window_.InstallReader(Step::PagerMenu, [this] { read_pager_menu(); });
    window_.OnTaggedVisibility(
        [this](const TaggedVisibility& v) { txtPass_[1]->setVisible(v.txtPass1); });
}

StatusPage::~StatusPage() = default;

void StatusPage::PlaceLogoFrame(QWidget* frame) {
    rightColumn_->insertWidget(1, frame);
}

QComboBox* StatusPage::MakeList(const QString& name, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    return c;
}

QWidget* StatusPage::BuildMenuFrame() {
    auto* frame = MakeFrame("Frame7", "Menu Of Pager", picSet2_);
    auto* v = new QVBoxLayout(frame);
    for (int i = 0; i < kPagerMenuItems; ++i) {
        chkMenu_[i] = new QCheckBox(Q(kPagerMenuCaptions[i]), frame);
        chkMenu_[i]->setObjectName(Indexed("chkMenu", i));
        connect(chkMenu_[i], &QCheckBox::toggled, this, [this, i] { chkMenu_Click(i); });
        v->addWidget(chkMenu_[i]);
    }
    cboTone_ = MakeList("cboTone", frame);
    for (const char* row : kToneRows) cboTone_->addItem(row);
    cboTone_->setCurrentIndex(-1);
    OnListClick(cboTone_, this, [this] { cboTone_Click(); });
    v->addWidget(cboTone_);
    return frame;
}

QWidget* StatusPage::BuildPasswordFrame() {
    auto* frame = MakeFrame("Frame11", "Password", picSet2_);
    auto* g = new QGridLayout(frame);
    g->addWidget(window_.MakeTaggedCheckBox(5, frame), 0, 0, 1, 2);
    g->addWidget(window_.MakeTaggedCheckBox(7, frame), 1, 0, 1, 2);
    for (int i = 0; i < kPasswordBoxes; ++i) {
        txtPass_[i] = new ShortLineEdit(kPasswordMaxLength, frame);
        txtPass_[i]->setObjectName(Indexed("txtPass", i));
        txtPass_[i]->setMaxLength(kPasswordMaxLength);
        txtPass_[i]->setText(i == 0 ? "0000" : "1234");  // design text, replaced at the refresh
        txtPass_[i]->installEventFilter(this);
    }
    g->addWidget(MakeLabel("Label6(7)", "Password(4 Dec)", frame), 2, 0);
    g->addWidget(txtPass_[0], 2, 1);
    g->addWidget(window_.MakeTaggedCheckBox(22, frame), 3, 0);
    g->addWidget(txtPass_[1], 3, 1);
    // The box comes and goes with "Read Msg. PW"; the frame keeps its shape.
    QSizePolicy keep = txtPass_[1]->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    txtPass_[1]->setSizePolicy(keep);
    return frame;
}

QWidget* StatusPage::BuildListsFrame() {
    auto* frame = MakeFrame("Frame8", "Settings", picSet2_);
    auto* g = new QGridLayout(frame);
    int n = 0;
    for (int index : kTaggedLists) {
        const FieldTag* tag = ListTag(index);
        g->addWidget(MakeLabel(Indexed("lblCtl", index), tag ? Q(tag->caption) : QString(), frame),
                     n, 0);
        g->addWidget(window_.MakeTaggedList(index, frame), n, 1);
        ++n;
    }
    cboSLC_ = MakeList("cboSLC", frame);
    for (const char* row : kLockoutRows) cboSLC_->addItem(row);
    cboORC_ = MakeList("cboORC", frame);
    for (const char* row : kOutOfServiceRows) cboORC_->addItem(row);
    g->addWidget(MakeLabel("Label6(2)", "Sequential Lockout", frame), n, 0);
    g->addWidget(cboSLC_, n++, 1);
    g->addWidget(MakeLabel("Label6(4)", "Out-of Service", frame), n, 0);
    g->addWidget(cboORC_, n++, 1);
    for (QComboBox* c : {cboSLC_, cboORC_}) c->setCurrentIndex(-1);
    OnListClick(cboSLC_, this, [this] { cboSLC_Click(); });
    OnListClick(cboORC_, this, [this] { cboORC_Click(); });
    g->setRowStretch(n, 1);
    return frame;
}

QWidget* StatusPage::BuildBatteryFrame() {
    auto* frame = MakeFrame("Frame12", "Battery Gauge", picSet2_);
    auto* g = new QGridLayout(frame);
    for (int i = kBatteryLevels - 1; i >= 0; --i) {
        cboBatLev_[i] = MakeList(Indexed("cboBatLev", i), frame);
        for (const BatteryRow& row : kBatteryRows) cboBatLev_[i]->addItem(row.text, row.value);
        cboBatLev_[i]->setCurrentIndex(-1);
        OnListClick(cboBatLev_[i], this, [this, i] { cboBatLev_Click(i); });
        const int line = kBatteryLevels - 1 - i;
        g->addWidget(MakeLabel(Indexed("lblBatLev", i), kBatteryCaptions[i], frame), line, 0);
        g->addWidget(cboBatLev_[i], line, 1);
    }
    return frame;
}

QWidget* StatusPage::BuildContrastFrame() {
    auto* contrast = MakeFrame("Frame10", "Screen Contrast", picSet2_);
    auto* cg = new QGridLayout(contrast);
    cg->addWidget(MakeLabel("Label16", "Screen Contrast", contrast), 0, 0);
    slider1_ = new CtlEBSlider(contrast);
    slider1_->setObjectName("Slider1");
    slider1_->SetMax(kContrastMax);
    slider1_->SetMin(0);
    cg->addWidget(slider1_, 0, 1);
    lblValue_ = MakeLabel("lblValue", "", contrast);
    cg->addWidget(lblValue_, 0, 2);
    lblContrast_ = MakeLabel("lblContrast", "Screen", contrast);
    QFont f = lblContrast_->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() + 3);
    lblContrast_->setFont(f);
    lblContrast_->setAlignment(Qt::AlignCenter);
    lblContrast_->setAutoFillBackground(true);
    QPalette pal = lblContrast_->palette();
    pal.setColor(QPalette::Window, QColor(170, 190, 150));  // the pager's screen
    lblContrast_->setPalette(pal);
    cg->addWidget(lblContrast_, 1, 0, 1, 3);
    connect(slider1_, &CtlEBSlider::Changed, this, &StatusPage::Slider1_Changed);
    return contrast;
}

// ---------------------------------------------------------------- pager menu and tone

void StatusPage::read_pager_menu() {
    window_.State().RefreshingControls = true;
    const PagerMenuDisabled disabled = ReadPagerMenu(window_.Image());
    for (int i = 0; i < kPagerMenuItems; ++i) chkMenu_[i]->setChecked(true);
    for (int i = 0; i < kPagerMenuItems; ++i) {
        if (!disabled[static_cast<std::size_t>(i)]) chkMenu_[i]->setChecked(false);
    }
    cboTone_->setVisible(chkMenu_[0]->isChecked());
    window_.State().RefreshingControls = false;
}

void StatusPage::chkMenu_Click(int) {
    if (window_.State().RefreshingControls) return;
    PagerMenuDisabled disabled{};
    for (int i = 0; i < kPagerMenuItems; ++i) {
        disabled[static_cast<std::size_t>(i)] = chkMenu_[i]->isChecked();
    }
    WritePagerMenu(window_.Image(), disabled);
    cboTone_->setVisible(chkMenu_[0]->isChecked());
}

// These list handlers run for the refresh's changes too: a row writes its own code back.
void StatusPage::cboTone_Click() {
    const int row = cboTone_->currentIndex();
    if (row >= 0) WriteToneRow(window_.Image(), row);
}

void StatusPage::cboSLC_Click() {
    const int row = cboSLC_->currentIndex();
    if (row >= 0) WriteLockoutRow(window_.Image(), row);
}

void StatusPage::cboORC_Click() {
    const int row = cboORC_->currentIndex();
    if (row >= 0) WriteOutOfServiceRow(window_.Image(), row);
}

// ---------------------------------------------------------------- battery levels

void StatusPage::read_BatLev() {
    for (int i = 0; i < kBatteryLevels; ++i) {
        if (auto row = BatteryRowFromImage(window_.Image(), i))
            cboBatLev_[i]->setCurrentIndex(*row);
    }
}

void StatusPage::cboBatLev_Click(int index) {
    const int row = cboBatLev_[index]->currentIndex();
    if (row >= 0) SelectBatteryLevel(window_.Image(), index, row, window_.Dialogs());
}

// ---------------------------------------------------------------- contrast

void StatusPage::read_contrast() {
    const int v = ContrastFromImage(window_.Image());
    window_.State().loadedContrast = v;
    slider1_->SetValue(v);
    const int grey = std::min(255, 5 * v);
    QPalette pal = lblContrast_->palette();
    pal.setColor(QPalette::WindowText, QColor(grey, grey, grey));
    lblContrast_->setPalette(pal);
    lblValue_->setText(QString::number(slider1_->Value()));
}

void StatusPage::Slider1_Changed() {
    const int v = slider1_->Value();
    WriteContrast(window_.Image(), v);
    const int grey = std::clamp(80 - 10 * v, 0, 255);
    QPalette pal = lblContrast_->palette();
    pal.setColor(QPalette::WindowText, QColor(grey, grey, grey));
    lblContrast_->setPalette(pal);
    lblValue_->setText(QString::number(v));
    QCoreApplication::processEvents();
    if (v != window_.State().loadedContrast) window_.State().contrastChanged = true;
}

// ---------------------------------------------------------------- passwords

void StatusPage::read_pass() {
    for (int i = 0; i < kPasswordBoxes; ++i) {
        // A byte above 9 (an image from elsewhere) shows all its digits: the length limit is
        // for typing only, and comes back when the box is emptied for an entry.
        const QString text = QString::fromStdString(PasswordText(window_.Image(), i));
        txtPass_[i]->setMaxLength(std::max<int>(kPasswordMaxLength, static_cast<int>(text.size())));
        txtPass_[i]->setText(text);
    }
    txtPass_[1]->setVisible(MessagePasswordShown(window_.Image()));
}

void StatusPage::txtPass_GotFocus(int index) {
    txtPass_[index]->clear();
    txtPass_[index]->setMaxLength(kPasswordMaxLength);
}

void StatusPage::txtPass_KeyUp(int index) {
    QLineEdit* box = txtPass_[index];
    switch (PasswordKeyUp(window_.Image(), index, ToCp1252(box->text()), window_.Dialogs())) {
        case PasswordEntry::NotNumeric:
        case PasswordEntry::OutOfRange:
            read_pass();
            // The box keeps the focus; it only has to be given back if the message took it.
            QTimer::singleShot(0, box, [box] {
                if (!box->hasFocus()) box->setFocus(Qt::OtherFocusReason);
            });
            break;
        case PasswordEntry::Empty:
        case PasswordEntry::Stored:
            break;
    }
}

void StatusPage::txtPass_LostFocus(int) {
    read_pass();
}

int StatusPage::PasswordBox(QObject* watched) const {
    for (int i = 0; i < kPasswordBoxes; ++i) {
        if (watched == txtPass_[i]) return i;
    }
    return -1;
}

bool StatusPage::eventFilter(QObject* watched, QEvent* event) {
    const int i = PasswordBox(watched);
    if (i < 0) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn:
            if (!IsWindowFocusChange(event)) txtPass_GotFocus(i);
            break;
        case QEvent::FocusOut:
            if (!IsWindowFocusChange(event)) txtPass_LostFocus(i);
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                window_.TabBackground()->setFocus();
                return true;
            }
            break;
        }
        case QEvent::KeyRelease:
            txtPass_KeyUp(i);
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kpx::gui
