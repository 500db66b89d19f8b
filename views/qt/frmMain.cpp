#include "views/qt/frmMain.h"

#include "logic/config/BuildConfig.h"
#include "views/qt/CommonDialog.h"
#include "views/qt/Controls.h"
#include "views/qt/Fonts.h"
#include "views/qt/Screen.h"
#include "views/qt/Twips.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <array>
#include <limits>

namespace {

const QColor kDarkBlue(0, 0, 192);
const QColor kBlack(0, 0, 0);

// Buttons that lie outside the client area: out of reach of the mouse, the Tab key and the
// access keys, so Alt+C stays with "&Close".
void PutOutOfReach(QPushButton* button) {
    button->setFocusPolicy(Qt::NoFocus);
    button->setShortcut(QKeySequence());
}

std::string ToLocal(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

frmMain::frmMain(MainPresenter& presenter, const platform::Services& services,
                 platform::MessageBox& messageBox, SaveDialog& saveDialog, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      presenter_(presenter), services_(services), messageBox_(messageBox),
      ImageList1(IconFrom(QStringLiteral("netpc"), {16, 32, 48})) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(velnor::kTitle));
    setWindowIcon(IconFrom(QStringLiteral("velnor"), {16, 24, 32, 48}));
    setFont(DialogFont(8.25));
    setFixedSize(TwipsToPixels(5670), TwipsToPixels(5940));
    CreateControls(saveDialog);
    SetTabOrder();
    CentreOnScreen(*this);
    presenter_.attach(*this);
}

template <void (MainPresenter::*Handler)()> void frmMain::ConnectClick(QPushButton* button) {
    // The handler as a constant: a member pointer held in a variable is called through code that
    // GCC 12's sanitizers instrument wrongly for a class without virtual functions.
    connect(button, &QPushButton::clicked, this, [this] { (presenter_.*Handler)(); });
}

void frmMain::CreateControls(SaveDialog& saveDialog) {
    Label1 = NewLabel(this, "Label1", QString(), TwipsRect(0, 0, 5745, 1095), false);
    Label1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label1->setAutoFillBackground(true);
    QPalette banner = Label1->palette();
    banner.setColor(QPalette::Window, banner.color(QPalette::Base));
    banner.setColor(QPalette::WindowText, banner.color(QPalette::Text));
    Label1->setPalette(banner);

    Image1 = NewLabel(this, "Image1", QString(), TwipsRect(240, 180, 720, 720), false);
    Image1->setPixmap(QPixmap(QStringLiteral(":/icons/velnor-48.png")));
    Image2 = NewLabel(this, "Image2", QString(), TwipsRect(4680, 180, 720, 720), false);
    Image2->setPixmap(QPixmap(QStringLiteral(":/icons/network-48.png")));

    Label2 = NewLabel(this, "Label2", QStringLiteral("Internet and Network IP Address"),
                      TwipsRect(1395, 390, 2865, 240), true);
    Label2->setFont(DialogFont(9.75));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    SetTextColor(Label2, kDarkBlue);
    SetCaption(Label2, Label2->text()); // sized again in its own font

    lblStatus = NewLabel(this, "lblStatus", QString(), TwipsRect(0, 800, 5745, 255), false);
    lblStatus->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    SetTextColor(lblStatus, kDarkBlue);

    Frame1 = new QGroupBox(QStringLiteral("Internet Information "), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(TwipsRect(120, 1200, 5415, 4215));
    SetTextColor(Frame1, kBlack);

    lblLHost = NewLabel(Frame1, "lblLHost", QStringLiteral("Local Host : "),
                        TwipsRect(600, 360, 900, 195), true);
    lblLIP = NewLabel(Frame1, "lblLIP", QStringLiteral("Local IP: "), TwipsRect(600, 798, 675, 195),
                      true);
    lblExtIP = NewLabel(Frame1, "lblExtIP", QStringLiteral("Internet IP: "),
                        TwipsRect(600, 1236, 825, 195), true);
    lblISP =
        NewLabel(Frame1, "lblISP", QStringLiteral("Host: "), TwipsRect(600, 1674, 420, 195), true);
    lblAnswer = NewLabel(Frame1, "lblAnswer", QStringLiteral("Network"),
                         TwipsRect(600, 2115, 600, 195), true);

    lstPCList = new QTreeWidget(Frame1);
    lstPCList->setObjectName(QStringLiteral("lstPCList"));
    lstPCList->setGeometry(TwipsRect(120, 2400, 5175, 1695));
    lstPCList->setHeaderLabels({QStringLiteral("Network PC"), QStringLiteral("Network IP")});
    lstPCList->setColumnWidth(0, TwipsToPixels(2500));
    lstPCList->setColumnWidth(1, TwipsToPixels(2500));
    lstPCList->header()->setStretchLastSection(false);
    lstPCList->setRootIsDecorated(false);
    lstPCList->setItemsExpandable(false);
    lstPCList->setUniformRowHeights(true);
    lstPCList->setIconSize(QSize(16, 16));
    lstPCList->setTextElideMode(Qt::ElideNone);

    cmdRefresh2 =
        NewButton(this, "cmdRefresh2", QStringLiteral("R&efresh"), TwipsRect(120, 5520, 1095, 350));
    cmdSave = NewButton(this, "cmdSave", QStringLiteral("&Save"), TwipsRect(1560, 5520, 1095, 350));
    cmdAbout =
        NewButton(this, "cmdAbout", QStringLiteral("&About"), TwipsRect(3000, 5520, 1095, 350));
    cmdClose =
        NewButton(this, "cmdClose", QStringLiteral("&Close"), TwipsRect(4440, 5520, 1095, 350));

    cmdReset =
        NewButton(this, "cmdReset", QStringLiteral("&Reset"), TwipsRect(-120, 7920, 1095, 350));
    cmdReset->setFont(VerdanaFont(8.25));
    cmdCopy = NewButton(this, "cmdCopy", QStringLiteral("&Copy"), TwipsRect(2640, 8400, 1095, 350));
    cmdCopy->setFont(VerdanaFont(8.25));
    cmdCopy->setToolTip(QStringLiteral(" Copy Received Information to Clipboard "));
    cmdRefresh = NewButton(this, "cmdRefresh", QStringLiteral("Get Network IPs"),
                           TwipsRect(3960, 8400, 1335, 375));
    Command1 =
        NewButton(this, "Command1", QStringLiteral("Command1"), TwipsRect(5160, 8400, 495, 255));
    for (QPushButton* hidden : {cmdReset, cmdCopy, cmdRefresh, Command1}) {
        PutOutOfReach(hidden);
    }

    txtInfo = new QLineEdit(this);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setGeometry(TwipsRect(2160, 6120, 2055, 1245));
    // A scratch buffer: it must hand back whatever was put in, whole.
    txtInfo->setMaxLength(std::numeric_limits<int>::max());
    txtInfo->setFocusPolicy(Qt::NoFocus);

    CD = new CommonDialog(saveDialog, Frame1);
    CD->setObjectName(QStringLiteral("CD"));

    ConnectClick<&MainPresenter::cmdRefresh2_Click>(cmdRefresh2);
    ConnectClick<&MainPresenter::cmdSave_Click>(cmdSave);
    ConnectClick<&MainPresenter::cmdClose_Click>(cmdClose);
    ConnectClick<&MainPresenter::cmdAbout_Click>(cmdAbout);
    ConnectClick<&MainPresenter::cmdCopy_Click>(cmdCopy);
    ConnectClick<&MainPresenter::cmdRefresh_Click>(cmdRefresh);
    ConnectClick<&MainPresenter::cmdReset_Click>(cmdReset);
    ConnectClick<&MainPresenter::Command1_Click>(Command1);
}

void frmMain::SetTabOrder() {
    setTabOrder(cmdRefresh2, cmdSave);
    setTabOrder(cmdSave, cmdAbout);
    setTabOrder(cmdAbout, cmdClose);
    setTabOrder(cmdClose, lstPCList);
}

QLabel* frmMain::LabelOf(Caption caption) const {
    // In the order of Caption.
    const std::array<QLabel*, 6> labels{lblStatus, lblLHost, lblLIP, lblExtIP, lblISP, lblAnswer};
    return labels.at(static_cast<std::size_t>(caption));
}

void frmMain::captionChanged(Caption caption) {
    SetCaption(LabelOf(caption), FromLocal(presenter_.record().caption(caption)));
}

void frmMain::infoChanged() {
    txtInfo->setText(FromLocal(presenter_.record().info));
}

void frmMain::rowsCleared() {
    lstPCList->clear();
}

void frmMain::rowAdded() {
    const MainRecord::Row& added = presenter_.record().rows.back();
    auto* row = new QTreeWidgetItem(lstPCList);
    row->setText(0, FromLocal(added.text));
    row->setText(1, FromLocal(added.address));
    if (added.computer) {
        row->setIcon(0, ImageList1);
    }
}

void frmMain::rowAddressChanged(std::size_t row) {
    if (QTreeWidgetItem* item = lstPCList->topLevelItem(static_cast<int>(row))) {
        item->setText(1, FromLocal(presenter_.record().rows.at(row).address));
    }
}

void frmMain::busyChanged() {
    if (presenter_.record().busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void frmMain::show() {
    if (isVisible()) {
        return;
    }
    QWidget::show();
    // The window system tells the size of the frame around the window once it is shown.
    CentreOnScreen(*this);
    // A window that is never exposed (no display, or covered) is taken as painted soon.
    constexpr int kAtMostMs = 250;
    QTimer::singleShot(kAtMostMs, this, [this] { TellPainted(); });
}

void frmMain::TellPainted() {
    if (!paintedTold_) {
        paintedTold_ = true;
        presenter_.Painted();
    }
}

bool frmMain::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Paint && !paintedTold_) {
        // Once the painting (and its flush to the screen) is over.
        QTimer::singleShot(0, this, [this] { TellPainted(); });
    }
    return handled;
}

std::optional<std::string> frmMain::askSaveFile(const std::string& title, const std::string& filter,
                                                const std::string& fileName) {
    const auto chosen =
        CD->ShowSave(this, FromLocal(title), FromLocal(filter), FromLocal(fileName));
    if (!chosen) {
        return std::nullopt;
    }
    return ToLocal(*chosen);
}

void frmMain::setClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(FromLocal(text));
}

void frmMain::openAbout() {
    const bool loading = about_.isNull();
    if (loading) {
        // No owner: the About window lives beside the main window, not on top of it.
        about_ = new frmAbout(services_, messageBox_);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
    if (loading) {
        CentreOnScreen(*about_);
    }
}

void frmMain::unloadAll() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this && window->isVisible()) {
            window->close();
        }
    }
    close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    presenter_.Form_Unload();
    event->accept();
}
