#pragma once

#include "views/qt/frmAbout.h"
#include "views/qt/QtMailbox.h"
#include "views/qt/ReportClock.h"
#include "views/qt/SaveDialog.h"
#include "base/concurrency/Sequence.h"
#include "platform/MessageBox.h"
#include "platform/Services.h"
#include "logic/report/Report.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class CommonDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The main window's own seams besides the platform services: main() passes the real ones,
// tests fakes.
struct MainSeams {
    platform::MessageBox& messageBox;
    SaveDialog& saveDialog;
    ReportClock& clock;
    // Ends the program once every window is unloaded.
    std::function<void()> endProgram;
    // The STUN servers asked for the external address instead of the address page
    // ("host:port;..."); none: the page.
    std::string stunServers = {};
    // Never shown (the report on the command line): the load does not wait for a first paint.
    bool headless = false;
};

// The main window. Its thread never waits for the network: the load sequence and the list fill
// wait for work done in the background, and the window stays free for clicks meanwhile.
class frmMain final : public QWidget {
    Q_OBJECT
public:
    frmMain(const platform::Services& services, MainSeams seams, QWidget* parent = nullptr);
    ~frmMain() override;

    // Starts the load sequence as the program's start does; false when the program has ended.
    bool Load();
    bool isUnloaded() const { return unloaded_; }
    // A load sequence runs: it ends without a click of its own.
    bool isLoading() const;
    // The report exactly as Save writes it, of what the window shows now.
    std::string SaveReport();

    // The handlers; a click on a control runs the same code.
    void Form_Load();
    void cmdRefresh2_Click();
    void cmdClose_Click();
    void cmdAbout_Click();
    void cmdRefresh_Click();
    void cmdReset_Click();
    void Command1_Click();
    void cmdCopy_Click();
    void cmdSave_Click();

signals:
    // A load sequence has run to its end.
    void loaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    class MailboxMessages;
    // co_await FillEnded{window}: until the list fill that runs has ended.
    // co_await Painted{window}: until the window has first been painted, or a moment has passed
    // (a window that is never exposed).
    struct Painted {
        frmMain& window;
        bool await_ready() const noexcept { return window.painted_; }
        void await_suspend(std::coroutine_handle<> waiting);
        void await_resume() const noexcept {}
    };
    struct FillEnded {
        frmMain& window;
        bool await_ready() const noexcept { return !window.filling_; }
        void await_suspend(std::coroutine_handle<> waiting) { window.afterFill_ = waiting; }
        void await_resume() const noexcept {}
    };

    void CreateControls();
    void SetTabOrder();
    void Form_Unload();
    void FillInfoText();
    void ResetFields();
    // Adds a row at the end of the computer list; throws when its key is taken. The key is the
    // name's bytes as they came, so that names that show alike never share one.
    QTreeWidgetItem* AddRow(const QByteArray& key, const QString& text, const QIcon& smallIcon);
    QTreeWidgetItem* RowByKey(const QByteArray& key) const;
    // txtInfo as a byte buffer: what was written reads back byte for byte, also bytes that are
    // not UTF-8; text put there by other hands reads back as UTF-8.
    void SetInfoText(std::string bytes);
    std::string InfoText() const;
    Report::Stamp ReadClock();
    Report::Captions Captions() const;
    void ShowOnce();
    Sequence LoadSequence();
    void FillDone();
    void ResumeAfterPaint();
    // Runs one step of a sequence; a failing step is abandoned and the sequence goes on. Once
    // the window is unloaded, no step runs.
    template <typename StepBody> void Step(StepBody&& body);
    // co_await Try(work): the work in the background, its result back on this thread; nothing
    // when it failed.
    template <typename Work> auto Try(Work work);
    void ConnectClick(QPushButton* button, void (frmMain::*handler)());

    const platform::Services& services_;
    MainSeams seams_;
    bool unloaded_ = false;
    QtMailbox* mailbox_;
    // The socket library's messages, from the fill's threads to this one. Shared with the fill,
    // which may outlive the window when the program ends during a fill.
    std::shared_ptr<MailboxMessages> fillMessages_;
    std::optional<Sequence> load_;
    bool filling_ = false;
    std::coroutine_handle<> afterFill_;
    bool painted_ = false;
    std::coroutine_handle<> afterPaint_;
    QIcon ImageList1;
    // The About window while it is loaded; there is at most one.
    QPointer<frmAbout> about_;

    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblStatus = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lblLHost = nullptr;
    QLabel* lblLIP = nullptr;
    QLabel* lblExtIP = nullptr;
    QLabel* lblISP = nullptr;
    QLabel* lblAnswer = nullptr;
    QTreeWidget* lstPCList = nullptr;
    QPushButton* cmdRefresh2 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* Command1 = nullptr;
    QLineEdit* txtInfo = nullptr;
    std::string infoBytes_; // the bytes last written into txtInfo
    CommonDialog* CD = nullptr;
};
