#include "views/qt/frmAbout.h"

#include "views/qt/Controls.h"
#include "views/qt/Fonts.h"
#include "views/qt/Screen.h"
#include "views/qt/Twips.h"

#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);

QGroupBox* NewFrame(QWidget* parent, const char* name, const QRect& geometry) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(geometry);
    return frame;
}

} // namespace

frmAbout::frmAbout(const platform::Services& services, platform::MessageBox& messageBox,
                   QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      presenter_(services, messageBox, static_cast<platform::Shell::Window>(winId())) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowIcon(IconFrom(QStringLiteral("velnor"), {16, 24, 32, 48}));
    setFont(DialogFont(8.25));
    setFixedSize(TwipsToPixels(5730), TwipsToPixels(3990));
    CreateControls();
    CentreOnScreen(*this);
    Form_Load();
}

void frmAbout::CreateControls() {
    picIcon = NewLabel(this, "picIcon", QString(), TwipsRect(120, 120, 1065, 2205), false);
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(QPixmap(QStringLiteral(":/icons/brantel-logo.png")));
    picIcon->setToolTip(QStringLiteral("Brantel Software"));

    lblTitle = NewLabel(this, "lblTitle", QString(), TwipsRect(1560, 240, 2805, 240), false);
    lblVersion = NewLabel(this, "lblVersion", QString(), TwipsRect(1560, 600, 2325, 225), false);
    for (QLabel* label : {lblTitle, lblVersion}) {
        label->setFont(DialogFont(9.75, true));
        SetTextColor(label, kBlue);
    }

    Frame1 = NewFrame(this, "Frame1", TwipsRect(120, 2405, 4095, 1455));
    lblDisclaimer =
        NewLabel(Frame1, "lblDisclaimer", QString::fromUtf8(AboutPresenter::Disclaimer()),
                 TwipsRect(120, 240, 3870, 1185), false);
    lblDisclaimer->setWordWrap(true);
    SetTextColor(lblDisclaimer, kBlack);

    Frame2 = NewFrame(this, "Frame2", TwipsRect(1560, 840, 3975, 1095));
    lblDescription =
        NewLabel(Frame2, "lblDescription", QString::fromUtf8(AboutPresenter::Description()),
                 TwipsRect(120, 180, 3735, 855), false);
    lblDescription->setWordWrap(true);

    Command1 = NewButton(this, "Command1", QStringLiteral("&Join the Brantel mailing list"),
                         TwipsRect(1560, 2040, 2295, 345));
    Command1->setToolTip(QStringLiteral("Join our mailing list"));
    Command2 =
        NewButton(this, "Command2", QStringLiteral("&Brantel"), TwipsRect(4290, 2040, 1245, 345));
    Command2->setToolTip(QStringLiteral("Visit Brantel"));
    Command3 =
        NewButton(this, "Command3", QStringLiteral("Clos&e"), TwipsRect(4290, 2777, 1245, 345));
    Command3->setToolTip(QStringLiteral("Close this window"));
    Command4 = NewButton(this, "Command4", QStringLiteral("&System Info"),
                         TwipsRect(4290, 3480, 1245, 345));
    Command4->setToolTip(QStringLiteral("Info about your computer"));

    Image1 = NewLabel(this, "Image1", QString(), TwipsRect(4680, 120, 720, 720), false);
    Image1->setPixmap(QPixmap(QStringLiteral(":/icons/velnor-48.png")));

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);

    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmAbout::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmAbout::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmAbout::Command4_Click);
    for (QWidget* watched : {static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2),
                             static_cast<QWidget*>(picIcon), static_cast<QWidget*>(Image1)}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }
}

void frmAbout::Form_Load() {
    presenter_.Form_Load();
    setWindowTitle(QString::fromUtf8(AboutPresenter::Caption()));
    lblVersion->setText(QString::fromUtf8(AboutPresenter::Version()));
    lblTitle->setText(QString::fromUtf8(AboutPresenter::Title()));
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == Command1) {
            Command1_MouseMove();
        } else if (watched == Command2) {
            Command2_MouseMove();
        }
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == picIcon) {
            picIcon_Click();
        } else if (watched == Image1) {
            Image1_Click();
        }
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

// The pointing hand, its hot spot at the fingertip.
void ShowHand(QPushButton* button) {
    button->setCursor(QCursor(QPixmap(QStringLiteral(":/icons/hand-32.png")), 6, 0));
}

} // namespace

void frmAbout::Command1_MouseMove() {
    ShowHand(Command1);
}

void frmAbout::Command2_MouseMove() {
    ShowHand(Command2);
}

void frmAbout::Command1_Click() {
    presenter_.Command1_Click();
}

void frmAbout::Command2_Click() {
    presenter_.Command2_Click();
}

void frmAbout::Image1_Click() {
    presenter_.Image1_Click();
}

void frmAbout::picIcon_Click() {
    presenter_.picIcon_Click();
}

void frmAbout::Command3_Click() {
    close();
}

void frmAbout::Command4_Click() {
    presenter_.Command4_Click();
}

void frmAbout::StartSysInfo() {
    presenter_.StartSysInfo();
}
