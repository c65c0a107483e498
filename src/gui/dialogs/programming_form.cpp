#include "gui/dialogs/programming_form.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/dialogs/qt_dialogs.h"

namespace kpx::gui {

namespace {

QFont CourierNew(int pointDelta = 0, bool bold = false) {
    QFont f("Courier New");
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(10 + pointDelta);
    f.setBold(bold);
    return f;
}

}  // namespace

Form2::Form2(PagerTransfers& usb, PagerTransfers* lpt, LinkHost& host, UserDialogs& dialogs,
             PagerImage& image, int ProgramOperation, bool AutoIncrease1, bool AutoIncrease2,
             QWidget* parent)
    : QDialog(parent),
      operation_(ProgramOperation),
      autoIncrease1_(AutoIncrease1),
      autoIncrease2_(AutoIncrease2) {
    setObjectName("Form2");
    setWindowTitle("Pager Program");
    setModal(true);
    setFont(CourierNew());
    setMinimumWidth(420);

    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    Label2_ = new QLabel("Pager Program", this);
    Label2_->setObjectName("Label2");
    Label2_->setFont(CourierNew(4, true));
    top->addWidget(Label2_, 1);
    Close1_ = new CloseBox(this);
    Close1_->setObjectName("Close1");
    top->addWidget(Close1_, 0, Qt::AlignTop);
    v->addLayout(top);

    PB1_ = new QProgressBar(this);
    PB1_->setObjectName("PB1");
    PB1_->setRange(0, 100);
    PB1_->setValue(0);
    PB1_->setTextVisible(false);
    v->addWidget(PB1_);

    Label1_ = new QLabel(this);
    Label1_->setObjectName("Label1");
    Label1_->setMinimumHeight(Label1_->fontMetrics().height());
    v->addWidget(Label1_);

    lblAuto_[1] = new QLabel(" 1st capcode : ", this);
    lblAuto_[1]->setObjectName("lblAuto1");
    lblAuto_[2] = new QLabel(" 2nd capcode : ", this);
    lblAuto_[2]->setObjectName("lblAuto2");
    for (int i = 1; i <= 2; ++i) {
        lblAuto_[i]->setVisible(false);
        v->addWidget(lblAuto_[i]);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdWrite_ = new QPushButton("Write", this);
    cmdWrite_->setObjectName("cmdWrite");
    cmdExit_ = new QPushButton("Exit", this);
    cmdExit_->setObjectName("cmdExit");
    for (QPushButton* b : {cmdWrite_, cmdExit_}) {
        b->setVisible(false);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    v->addLayout(buttons);

    connect(cmdWrite_, &QPushButton::clicked, this, &Form2::cmdWrite_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &Form2::cmdExit_Click);
    connect(Close1_, &CloseBox::Click, this, &Form2::Close1_Click);

    logic_ = std::make_unique<ProgrammingDialog>(usb, lpt, host, dialogs, image, *this);
}

Form2::~Form2() = default;

void Form2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The operation starts once the dialog is up and painted, from the dialog's own event loop.
    if (!activationQueued_) {
        activationQueued_ = true;
        QMetaObject::invokeMethod(
            this, [this] { Form_Activate(); }, Qt::QueuedConnection);
    }
}

void Form2::paintEvent(QPaintEvent*) {
    // The background picture, stretched to the inner size.
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0xE8, 0xEE, 0xF8));
    g.setColorAt(1, QColor(0xB8, 0xC8, 0xE0));
    p.fillRect(rect(), g);
}

void Form2::Form_Activate() {
    SetBusy(true);
    logic_->Form_Activate(operation_, autoIncrease1_, autoIncrease2_);
    SetBusy(false);
    if (closeWanted_) Unload();
}

void Form2::cmdWrite_Click() {
    if (busy_) return;
    SetBusy(true);
    logic_->cmdWrite_Click();
    SetBusy(false);
    if (closeWanted_) Unload();
}

void Form2::SetBusy(bool busy) {
    busy_ = busy;
    Close1_->setEnabled(!busy);
}

void Form2::Unload() {
    if (busy_) {
        // A transfer is running; the dialog goes when it has ended (the logic asked for it).
        return;
    }
    closeWanted_ = false;
    done(QDialog::Accepted);
}

void Form2::reject() {
    // Escape and the window's own close button unload the dialog too, but never mid-transfer.
    if (!busy_) Unload();
}

void Form2::SetProgressMax(int maximum) {
    PB1_->setMaximum(maximum);
}

void Form2::SetProgressValue(int position) {
    PB1_->setValue(std::clamp(position, PB1_->minimum(), PB1_->maximum()));
}

void Form2::SetProgressColour(ProgressColour colour) {
    QPalette pal = PB1_->palette();
    pal.setColor(QPalette::Highlight, colour == ProgressColour::Purple
                                          ? QColor(kProgressPurple)
                                          : QApplication::palette().color(QPalette::Highlight));
    PB1_->setPalette(pal);
}

void Form2::SetStatus(const std::string& text) {
    Label1_->setText(FromCp1252(text));
}

void Form2::ShowAutoLabel(int which, bool visible) {
    if (which == 1 || which == 2) lblAuto_[which]->setVisible(visible);
}

void Form2::SetAutoLabelText(int which, const std::string& text) {
    if (which == 1 || which == 2) lblAuto_[which]->setText(FromCp1252(text));
}

void Form2::ShowWriteButtons() {
    cmdWrite_->setVisible(true);
    cmdExit_->setVisible(true);
    cmdWrite_->setFocus();
}

void Form2::SetButtonsEnabled(bool enabled) {
    cmdWrite_->setEnabled(enabled);
    cmdExit_->setEnabled(enabled);
}

}  // namespace kpx::gui
