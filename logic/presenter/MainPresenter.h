#pragma once

#include "base/concurrency/Mailbox.h"
#include "base/concurrency/Sequence.h"
#include "logic/internet/InternetAddress.h"
#include "logic/presenter/MainRecord.h"
#include "logic/presenter/MainView.h"
#include "logic/report/Report.h"
#include "platform/MessageBox.h"
#include "platform/Services.h"

#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// The main window's logic without the window: the load sequence, the list fill and the
// handlers, writing into one MainRecord that a view shows. Its thread (the window's, whose
// mailbox it is given) never waits for the network: the steps that block run in the
// background, and the handlers answer meanwhile. Without a view it runs all the same (the
// command line's report).
class MainPresenter {
public:
    struct Seams {
        // Shown on the presenter's thread; the socket library's messages come here too.
        platform::MessageBox& messages;
        // The presenter's thread's mailbox; it closes when the window unloads.
        Mailbox& mailbox;
        // Ends the program once every window is unloaded.
        std::function<void()> endProgram;
        InternetAddress::Road road = InternetAddress::BuildRoad();
    };

    MainPresenter(const platform::Services& services, Seams seams);
    ~MainPresenter();
    MainPresenter(const MainPresenter&) = delete;
    MainPresenter& operator=(const MainPresenter&) = delete;

    // The view that shows the record, before the first load; none: nothing is shown, and the
    // load does not wait for a first paint.
    void attach(MainView& view) { view_ = &view; }
    // The view has been painted for the first time (or will not be: a moment has passed).
    void Painted();

    const MainRecord& record() const { return record_; }
    // A load sequence runs: it ends without a click of its own.
    bool isLoading() const;
    bool isUnloaded() const { return unloaded_; }
    // The report exactly as Save writes it, of what the record holds now.
    std::string SaveReport();

    // The handlers; a click on a control runs the same code.
    void Form_Load();
    void cmdRefresh2_Click();
    void cmdRefresh_Click();
    void cmdReset_Click();
    void Command1_Click();
    void cmdCopy_Click();
    void cmdSave_Click();
    void cmdAbout_Click();
    void cmdClose_Click();
    // The window is being unloaded, whatever the cause.
    void Form_Unload();

private:
    class MailboxMessages;
    // co_await Painted{*this}: until the view has first been painted.
    struct PaintedOnce {
        MainPresenter& presenter;
        bool await_ready() const noexcept { return presenter.painted_; }
        void await_suspend(std::coroutine_handle<> waiting) { presenter.afterPaint_ = waiting; }
        void await_resume() const noexcept {}
    };
    // co_await FillEnded{*this}: until the list fill that runs has ended.
    struct FillEnded {
        MainPresenter& presenter;
        bool await_ready() const noexcept { return !presenter.filling_; }
        void await_suspend(std::coroutine_handle<> waiting) { presenter.afterFill_ = waiting; }
        void await_resume() const noexcept {}
    };

    Sequence LoadSequence();
    void FillDone();
    void ResetFields();
    void FillInfoText();
    // Runs one step of a sequence; a failing step is abandoned and the sequence goes on. Once
    // the window is unloaded, no step runs.
    template <typename StepBody> void Step(StepBody&& body);
    // co_await Try(work): the work in the background, its result back on this thread; nothing
    // when it failed.
    template <typename Work> auto Try(Work work);

    void SetCaption(Caption caption, std::string text);
    void SetInfoText(std::string text);
    void ClearRows();
    // Adds a row at the end.
    void AddRow(MainRecord::Row row);
    void SetBusy(bool busy);
    Report::Stamp ReadClock();
    Report::Captions Captions() const;

    const platform::Services& services_;
    Seams seams_;
    MainView* view_ = nullptr;
    MainRecord record_;
    bool unloaded_ = false;
    // The socket library's messages, from the fill's threads to this one. Shared with the fill,
    // which may outlive the presenter when the program ends during a fill.
    std::shared_ptr<MailboxMessages> fillMessages_;
    std::optional<Sequence> load_;
    bool filling_ = false;
    std::coroutine_handle<> afterFill_;
    bool painted_ = false;
    std::coroutine_handle<> afterPaint_;
    // The save dialog's settings (CD): it offers the last chosen file again.
    struct SaveDialogSettings {
        std::string DialogTitle;
        std::string Filter;
        std::string FileName;
    } CD;
};
