#include "gui/dialogs/frames.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "gui/dialogs/qt_dialogs.h"
#include "gui/widgets/custom_controls.h"

namespace kpx::gui {

QString ProductTitle(const char* suffix) {
    return QString::fromLatin1(kProductVersionText).left(5) + QString::fromLatin1(suffix);
}

void PaintBackgroundPicture(QWidget* w) {
    QPainter p(w);
    QLinearGradient g(0, 0, w->width(), w->height());
    g.setColorAt(0, QColor(16, 42, 92));
    g.setColorAt(0.6, QColor(38, 86, 160));
    g.setColorAt(1, QColor(120, 170, 230));
    p.fillRect(w->rect(), g);
    // A few faint radio waves behind the texts.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 40), 3));
    const QPointF c(w->width() * 0.85, w->height() * 0.8);
    for (int i = 1; i <= 4; ++i) {
        const double r = 30.0 * i;
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 60 * 16, 100 * 16);
    }
}

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int pointDelta = 0,
                  bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() + pointDelta);
    f.setBold(bold);
    l->setFont(f);
    l->setStyleSheet("color: white; background: transparent;");
    l->setWordWrap(true);
    return l;
}

}  // namespace

SplashWindow::SplashWindow(const ProgramSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("frmSplash");
    setFixedSize(480, 270);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(24, 24, 24, 18);
    v->addWidget(
        MakeLabel(this, "lblProductName", ProductTitle(" Basic(USB) Programmer"), 8, true));
    v->addWidget(MakeLabel(this, "lblPlatformAndVersion", "for Win XP/Vista/Win7 Version 1.2", 1));
    v->addStretch(1);
    v->addWidget(MakeLabel(this, "lblCopyright",
                           QString::fromLatin1(kNoticeText) + FromCp1252(settings.companyText)));
    v->addWidget(MakeLabel(this, "lblWarning",
                           "Warning: this program is protected by copyright law. Copying or "
                           "distributing it without permission is prohibited.",
                           -1));
    timer1_.setObjectName("Timer1");
    timer1_.setInterval(500);
    timer1_.setSingleShot(true);
    timer2_.setObjectName("Timer2");
    timer2_.setInterval(5000);
    timer2_.setSingleShot(true);
    connect(&timer1_, &QTimer::timeout, this, [this] {
        timer1_.stop();
        emit ShowMainWindow();
    });
    connect(&timer2_, &QTimer::timeout, this, [this] {
        timer2_.stop();
        close();
    });
}

SplashWindow::~SplashWindow() {
    RestoreCursor();
}

void SplashWindow::showEvent(QShowEvent* e) {
    if (!cursorSet_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        cursorSet_ = true;
    }
    if (!timer1_.isActive() && !timer2_.isActive()) timer1_.start();
    QWidget::showEvent(e);
}

void SplashWindow::RestoreCursor() {
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
}

void SplashWindow::closeEvent(QCloseEvent* e) {
    RestoreCursor();
    QWidget::closeEvent(e);
}

void SplashWindow::paintEvent(QPaintEvent*) {
    PaintBackgroundPicture(this);
}

AboutWindow::AboutWindow(const ProgramSettings& settings, const QString& bandRowText,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("frmAbout");
    setModal(true);
    setFixedSize(420, 260);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(16, 8, 8, 14);
    auto* top = new QHBoxLayout;
    top->addWidget(MakeLabel(this, "Label2(0)", "About", 3, true));
    top->addStretch(1);
    auto* close = new CloseBox(this);
    close->setObjectName("Close1");
    top->addWidget(close, 0, Qt::AlignTop);
    v->addLayout(top);
    auto line = [this](const char* name) {
        auto* l = new QFrame(this);
        l->setObjectName(name);
        l->setFrameShape(QFrame::HLine);
        l->setStyleSheet("color: rgba(255,255,255,120);");
        return l;
    };
    v->addWidget(line("Line1(0)"));
    v->addWidget(
        MakeLabel(this, "lblTitle", ProductTitle(" Basic(USB) Pager Programmer"), 4, true));
    v->addWidget(MakeLabel(this, "lblVersion", "Version 1.2(2011.06.7)"));
    QString spacing;
    switch (settings.defaultSpacing130) {
        case 0:
            spacing = " : Channel Spacing = 5KHz";
            break;
        case 1:
            spacing = " : Channel Spacing = 6.25KHz";
            break;
        case 2:
            spacing = " : Channel Spacing = Auto";
            break;
        default:
            break;
    }
    v->addWidget(MakeLabel(this, "Label3", spacing.isEmpty() ? QString() : bandRowText + spacing));
    v->addStretch(1);
    v->addWidget(line("Line1(1)"));
    v->addWidget(MakeLabel(this, "lblDescription",
                           QString::fromLatin1(kNoticeText) + FromCp1252(settings.companyText)));
    auto* ok = new NCommand("OK", this);
    ok->setObjectName("cmdOK");
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ok);
    v->addLayout(bottom);
    connect(close, &CloseBox::Click, this, &QDialog::accept);
    connect(ok, &NCommand::Click, this, &QDialog::accept);
}

void AboutWindow::paintEvent(QPaintEvent*) {
    PaintBackgroundPicture(this);
}

}  // namespace kpx::gui
