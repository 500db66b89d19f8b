#include "views/qt/frmMain.h"

#include "base/concurrency/Background.h"
#include "views/qt/CommonDialog.h"
#include "views/qt/ReportFile.h"
#include "logic/computers/ListFill.h"
#include "logic/internet/ExternalAddress.h"
#include "logic/internet/GetSource.h"
#include "logic/report/Report.h"
#include "logic/config/BuildConfig.h"
#include "views/qt/Controls.h"
#include "views/qt/Fonts.h"
#include "views/qt/Screen.h"
#include "views/qt/Twips.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <exception>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

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

// Shows each message on the window's thread; the thread that asks waits until it is closed.
class frmMain::MailboxMessages final : public platform::MessageBox {
public:
    MailboxMessages(Mailbox::Address mailbox, platform::MessageBox& shown)
        : mailbox_(std::move(mailbox)), shown_(shown) {}
    void show(const std::string& text) override {
        mailbox_.call([this, text] { shown_.show(text); });
    }

private:
    Mailbox::Address mailbox_;
    platform::MessageBox& shown_;
};

frmMain::frmMain(const platform::Services& services, MainSeams seams, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      services_(services), seams_(std::move(seams)), mailbox_(new QtMailbox(this)),
      fillMessages_(std::make_shared<MailboxMessages>(mailbox_->address(), seams_.messageBox)),
      ImageList1(IconFrom(QStringLiteral("netpc"), {16, 32, 48})) {
    setObjectName(QStringLiteral("frmMain"));
    painted_ = seams_.headless;
    setWindowTitle(QString::fromUtf8(velnor::kTitle));
    setWindowIcon(IconFrom(QStringLiteral("velnor"), {16, 24, 32, 48}));
    setFont(DialogFont(8.25));
    setFixedSize(TwipsToPixels(5670), TwipsToPixels(5940));
    CreateControls();
    SetTabOrder();
    CentreOnScreen(*this);
}

void frmMain::CreateControls() {
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

    CD = new CommonDialog(seams_.saveDialog, Frame1);
    CD->setObjectName(QStringLiteral("CD"));

    ConnectClick(cmdRefresh2, &frmMain::cmdRefresh2_Click);
    ConnectClick(cmdSave, &frmMain::cmdSave_Click);
    ConnectClick(cmdClose, &frmMain::cmdClose_Click);
    ConnectClick(cmdAbout, &frmMain::cmdAbout_Click);
    ConnectClick(cmdCopy, &frmMain::cmdCopy_Click);
    ConnectClick(cmdRefresh, &frmMain::cmdRefresh_Click);
    ConnectClick(cmdReset, &frmMain::cmdReset_Click);
    ConnectClick(Command1, &frmMain::Command1_Click);
}

void frmMain::SetTabOrder() {
    setTabOrder(cmdRefresh2, cmdSave);
    setTabOrder(cmdSave, cmdAbout);
    setTabOrder(cmdAbout, cmdClose);
    setTabOrder(cmdClose, lstPCList);
}

void frmMain::ConnectClick(QPushButton* button, void (frmMain::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
}

frmMain::~frmMain() {
    // Nothing that still runs elsewhere reaches the window from now on.
    mailbox_->close();
    load_.reset();
}

bool frmMain::Load() {
    Form_Load();
    return !unloaded_;
}

bool frmMain::isLoading() const {
    return load_ && !load_->done();
}

template <typename StepBody> void frmMain::Step(StepBody&& body) {
    if (unloaded_) {
        return;
    }
    try {
        body();
    } catch (const std::exception&) {
        // Skip-on-error: the rest of this step is abandoned, the sequence goes on.
    }
}

template <typename Work> auto frmMain::Try(Work work) {
    return OffThread<Work, true>(mailbox_->address(), std::move(work));
}

void frmMain::ShowOnce() {
    if (isVisible() || seams_.headless) {
        return;
    }
    show();
    // The window system tells the size of the frame around the window once it is shown.
    CentreOnScreen(*this);
}

void frmMain::Form_Load() {
    // One load at a time: Refresh during a load starts nothing.
    if (isLoading() || unloaded_) {
        return;
    }
    load_.emplace(LoadSequence());
}

Sequence frmMain::LoadSequence() {
    Step([&] { SetCaption(lblStatus, QStringLiteral("Status : Getting Information . . .")); });
    Step([&] { ShowOnce(); });
    // The window paints before anything else runs, also what loads in the background.
    co_await Painted{*this};
    // What takes long in the walk (listening for computers that announce themselves) starts
    // now, beside the address page. The walk waits for it, so that it takes the round of
    // discovery that this load began, never one that a late preparation began after it.
    Ahead preparing(mailbox_->address(), [network = &services_.network] { network->Prepare(); });

    // Each wait is a named awaiter and each result a variable of the whole sequence: GCC 12
    // destroys temporaries of a co_await twice in some places. A step whose work failed gives
    // nothing and is skipped.
    const std::vector<ExternalAddress::StunServer> servers =
        ExternalAddress::ParseServers(seams_.stunServers);
    bool connected = true;
    if (!servers.empty()) {
        // No address page: the servers tell the address, the system resolver its name.
        platform::Datagrams* datagrams = &services_.datagrams;
        auto asking =
            Try([datagrams, servers] { return ExternalAddress::AskStun(*datagrams, servers); });
        const std::optional<std::optional<platform::Ipv4Address>> asked = co_await asking;
        connected = asked && *asked;
        if (connected) {
            const platform::Ipv4Address address = **asked;
            Step([&] {
                SetCaption(lblExtIP, QStringLiteral("Internet IP: ") +
                                         FromLocal(ExternalAddress::DottedText(address)));
            });
            auto naming =
                Try([datagrams, address] { return ExternalAddress::NameOf(*datagrams, address); });
            const std::optional<std::string> name = co_await naming;
            Step([&] {
                SetCaption(lblISP, QStringLiteral("Host: ") + FromLocal(name.value_or("")));
            });
        }
    } else {
        const std::string url = velnor::AddressPageUrl();
        platform::Internet* internet = &services_.internet;
        auto checking = Try([internet, url] { return GetSource::CheckConnection(*internet, url); });
        // A test that fails to run at all counts as passed: the fetch then finds out.
        const std::optional<bool> checked = co_await checking;
        connected = checked.value_or(true);
        if (connected) {
            // The page as fetched is what is searched: a Save or Copy meanwhile may put its own
            // text into txtInfo.
            auto fetching = Try([internet, url] { return GetSource::GetPageText(*internet, url); });
            const std::optional<std::string> fetched = co_await fetching;
            const std::string page = fetched.value_or("");
            Step([&] { SetInfoText(page); });
            Step([&] {
                SetCaption(lblExtIP, QStringLiteral("Internet IP: ") +
                                         FromLocal(GetSource::PageValue(page, "<b>Your IP: ")));
            });
            Step([&] {
                SetCaption(lblISP, QStringLiteral("Host: ") +
                                       FromLocal(GetSource::PageValue(page, "<b>Host: ")));
            });
        }
    }
    if (!connected) {
        Step([&] { SetCaption(lblExtIP, QStringLiteral("Internet IP: Not Connected")); });
    }

    auto measuring = Try([metrics = &services_.metrics] { return metrics->networkMetric(); });
    const std::optional<int> metric = co_await measuring;
    if (metric) {
        Step([&] {
            SetCaption(lblAnswer, (*metric & 0x2) == 0x2
                                      ? QStringLiteral("Network is Installed")
                                      : QStringLiteral("Network is not Installed"));
        });
    }
    co_await preparing;
    Step([&] { cmdRefresh_Click(); });
    co_await FillEnded{*this};

    platform::LocalMachine* machine = &services_.localMachine;
    auto readingIp = Try([machine] { return machine->localIP(); });
    const std::optional<std::string> ip = co_await readingIp;
    if (ip) {
        Step([&] { SetCaption(lblLIP, QStringLiteral("Local IP: ") + FromLocal(*ip)); });
    }
    auto readingHost = Try([machine] { return machine->localHostName(); });
    const std::optional<std::string> host = co_await readingHost;
    if (host) {
        Step([&] {
            SetCaption(lblLHost, QStringLiteral("Local Host: ") + FromLocal(*host).toUpper());
        });
    }
    Step([&] { SetCaption(lblStatus, QStringLiteral("Status : Information Retrieved")); });

    // A count that cannot be read counts as an empty list.
    bool empty = true;
    Step([&] { empty = lstPCList->topLevelItemCount() < 1; });
    if (empty) {
        Step([&] {
            auto* row = new QTreeWidgetItem(lstPCList);
            row->setText(0, QStringLiteral("None Found"));
        });
    }
    if (!unloaded_) {
        emit loaded();
    }
}

void frmMain::cmdRefresh2_Click() {
    Form_Load();
}

namespace {

constexpr int kNameRole = Qt::UserRole + 1; // the row's name as bytes, for the report

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void frmMain::SetInfoText(std::string bytes) {
    txtInfo->setText(FromLocal(bytes));
    infoBytes_ = std::move(bytes);
}

std::string frmMain::InfoText() const {
    const QString shown = txtInfo->text();
    return shown == FromLocal(infoBytes_) ? infoBytes_ : ToLocal(shown);
}

QTreeWidgetItem* frmMain::AddRow(const QByteArray& key, const QString& text,
                                 const QIcon& smallIcon) {
    if (RowByKey(key) != nullptr) {
        throw std::invalid_argument("key already in the list");
    }
    auto* row = new QTreeWidgetItem(lstPCList);
    row->setData(0, Qt::UserRole, key);
    row->setText(0, text);
    row->setIcon(0, smallIcon);
    return row;
}

QTreeWidgetItem* frmMain::RowByKey(const QByteArray& key) const {
    for (int i = 0; i < lstPCList->topLevelItemCount(); ++i) {
        if (lstPCList->topLevelItem(i)->data(0, Qt::UserRole).toByteArray() == key) {
            return lstPCList->topLevelItem(i);
        }
    }
    return nullptr;
}

void frmMain::cmdRefresh_Click() {
    // One fill at a time.
    if (filling_ || unloaded_) {
        return;
    }
    Step([&] { lstPCList->clear(); });
    Step([&] { setCursor(Qt::WaitCursor); });
    filling_ = true;
    const Mailbox::Address mailbox = mailbox_->address();
    ListFill::Events events;
    events.row = [this, mailbox](const std::string& name) {
        mailbox.post([this, name] {
            Step([&] {
                QTreeWidgetItem* row = AddRow("KEY_" + Bytes(name), FromLocal(name), ImageList1);
                row->setData(0, kNameRole, Bytes(name));
            });
        });
    };
    events.address = [this, mailbox](const std::string& name, const std::string& address) {
        mailbox.post([this, name, address] {
            Step([&] {
                if (QTreeWidgetItem* row = RowByKey("KEY_" + Bytes(name))) {
                    row->setText(1, FromLocal(address));
                }
            });
        });
    };
    // The fill keeps its events, and with them the messages it shows, until its threads end.
    events.done = [this, mailbox, messages = fillMessages_] {
        mailbox.post([this] { FillDone(); });
    };
    ListFill::Start({services_.network, services_.localNames, services_.resolver, *fillMessages_},
                    std::move(events),
                    [](std::function<void()> work) { Background::Run(std::move(work)); });
}

void frmMain::FillDone() {
    filling_ = false;
    Step([&] { unsetCursor(); });
    if (const auto waiting = std::exchange(afterFill_, {})) {
        waiting.resume();
    }
}

void frmMain::ResetFields() {
    SetCaption(lblLIP, QStringLiteral("Local IP: "));
    SetCaption(lblExtIP, QStringLiteral("External IP: "));
    lstPCList->clear();
}

void frmMain::cmdReset_Click() {
    ResetFields();
}

void frmMain::cmdAbout_Click() {
    const bool loading = about_.isNull();
    if (loading) {
        // No owner: the About window lives beside the main window, not on top of it.
        about_ = new frmAbout(services_, seams_.messageBox);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
    if (loading) {
        CentreOnScreen(*about_);
    }
}

void frmMain::cmdClose_Click() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (unloaded_) {
            return;
        }
        if (window == this || window->isVisible()) {
            window->close();
        }
    }
}

void frmMain::Painted::await_suspend(std::coroutine_handle<> waiting) {
    window.afterPaint_ = waiting;
    constexpr int kAtMostMs = 250;
    QTimer::singleShot(kAtMostMs, &window, [window = &window] { window->ResumeAfterPaint(); });
}

void frmMain::ResumeAfterPaint() {
    painted_ = true;
    if (const auto waiting = std::exchange(afterPaint_, {}); waiting && !unloaded_) {
        waiting.resume();
    }
}

bool frmMain::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Paint && !painted_) {
        // Once the painting (and its flush to the screen) is over.
        mailbox_->address().post([this] { ResumeAfterPaint(); });
    }
    return handled;
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    // The load and the fill stop where they are; what they wait for finishes unseen.
    mailbox_->close();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this && window->isVisible()) {
            window->close();
        }
    }
    if (seams_.endProgram) {
        seams_.endProgram();
    }
}

void frmMain::FillInfoText() {
    std::vector<Report::Row> rows;
    std::size_t columns = 0;
    Step([&] {
        columns = static_cast<std::size_t>(lstPCList->headerItem()->columnCount());
        for (int i = 0; i < lstPCList->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = lstPCList->topLevelItem(i);
            Report::Row row;
            for (std::size_t column = 0; column < columns; ++column) {
                const QVariant name = item->data(0, kNameRole);
                row.push_back(column == 0 && name.isValid()
                                  ? name.toByteArray().toStdString()
                                  : ToLocal(item->text(static_cast<int>(column))));
            }
            rows.push_back(std::move(row));
        }
    });
    Step([&] { SetInfoText(Report::RowsText(rows, columns)); });
}

void frmMain::Command1_Click() {
    FillInfoText();
}

std::string frmMain::SaveReport() {
    Command1_Click();
    return Report::SaveReport(ReadClock(), velnor::kWebAddresses, Captions(), InfoText());
}

Report::Stamp frmMain::ReadClock() {
    Report::Stamp stamp;
    stamp.date = ToLocal(seams_.clock.dateText());
    stamp.time = ToLocal(seams_.clock.timeText());
    return stamp;
}

Report::Captions frmMain::Captions() const {
    return {ToLocal(lblLHost->text()), ToLocal(lblLIP->text()), ToLocal(lblExtIP->text()),
            ToLocal(lblISP->text())};
}

void frmMain::cmdCopy_Click() {
    Command1_Click();
    const std::string report =
        Report::CopyReport(ReadClock(), velnor::kWebAddresses[0], Captions(), InfoText());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QString());
    clipboard->setText(FromLocal(report));
}

void frmMain::cmdSave_Click() {
    Command1_Click();
    CD->DialogTitle = QStringLiteral("Save Data as...");
    CD->Filter = QStringLiteral("Text File|*.txt|All Files|*.*");
    if (!CD->ShowSave(this)) {
        return;
    }
    const QString path = CD->FileName;
    const std::string report = SaveReport();
    if (const auto error = WriteFileAtomically(path, report)) {
        seams_.messageBox.show(ToLocal(
            QStringLiteral("The report could not be saved to \"%1\".\n\n%2").arg(path, *error)));
    }
}
