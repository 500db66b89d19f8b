#include "logic/presenter/MainPresenter.h"

#include "base/concurrency/Background.h"
#include "base/text/Text.h"
#include "logic/computers/ListFill.h"
#include "logic/config/BuildConfig.h"
#include "logic/internet/GetSource.h"

#include <algorithm>
#include <exception>
#include <vector>

// Shows each message on the presenter's thread; the thread that asks waits until it is closed.
class MainPresenter::MailboxMessages final : public platform::MessageBox {
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

MainPresenter::MainPresenter(const platform::Services& services, Seams seams)
    : services_(services), seams_(std::move(seams)),
      fillMessages_(std::make_shared<MailboxMessages>(seams_.mailbox.address(), seams_.messages)) {}

MainPresenter::~MainPresenter() {
    // Nothing that still runs elsewhere reaches the presenter from now on.
    seams_.mailbox.close();
    load_.reset();
}

bool MainPresenter::isLoading() const {
    return load_ && !load_->done();
}

template <typename StepBody> void MainPresenter::Step(StepBody&& body) {
    if (unloaded_) {
        return;
    }
    try {
        body();
    } catch (const std::exception&) {
        // Skip-on-error: the rest of this step is abandoned, the sequence goes on.
    }
}

template <typename Work> auto MainPresenter::Try(Work work) {
    return OffThread<Work, true>(seams_.mailbox.address(), std::move(work));
}

void MainPresenter::SetCaption(Caption caption, std::string text) {
    record_.caption(caption) = std::move(text);
    if (view_ != nullptr) {
        view_->captionChanged(caption);
    }
}

void MainPresenter::SetInfoText(std::string text) {
    record_.info = std::move(text);
    if (view_ != nullptr) {
        view_->infoChanged();
    }
}

void MainPresenter::ClearRows() {
    record_.rows.clear();
    if (view_ != nullptr) {
        view_->rowsCleared();
    }
}

void MainPresenter::AddRow(MainRecord::Row row) {
    // Each name comes once from the fill: no row's key is taken.
    record_.rows.push_back(std::move(row));
    if (view_ != nullptr) {
        view_->rowAdded();
    }
}

void MainPresenter::SetBusy(bool busy) {
    record_.busy = busy;
    if (view_ != nullptr) {
        view_->busyChanged();
    }
}

void MainPresenter::Form_Load() {
    // One load at a time: Refresh during a load starts nothing.
    if (isLoading() || unloaded_) {
        return;
    }
    // Without a view nothing is painted, and nothing need wait for it.
    painted_ = painted_ || view_ == nullptr;
    load_.emplace(LoadSequence());
}

void MainPresenter::Painted() {
    painted_ = true;
    if (const auto waiting = std::exchange(afterPaint_, {}); waiting && !unloaded_) {
        waiting.resume();
    }
}

Sequence MainPresenter::LoadSequence() {
    Step([&] { SetCaption(Caption::Status, "Status : Getting Information . . ."); });
    Step([&] {
        if (view_ != nullptr) {
            view_->show();
        }
    });
    // The window paints before anything else runs, also what loads in the background.
    PaintedOnce painting{*this};
    co_await painting;
    // What takes long in the walk (listening for computers that announce themselves) starts
    // now, beside the address page. The walk waits for it, so that it takes the round of
    // discovery that this load began, never one that a late preparation began after it.
    Ahead preparing(seams_.mailbox.address(),
                    [network = &services_.network] { network->Prepare(); });

    // Each wait is a named awaiter and each result a variable of the whole sequence: GCC 12
    // destroys temporaries of a co_await twice in some places. A step whose work failed gives
    // nothing and is skipped.
    const InternetAddress::Road road = seams_.road;
    bool connected = true;
    if (road.viaStun()) {
        // No address page: the servers tell the address, the system resolver its name.
        platform::Datagrams* datagrams = &services_.datagrams;
        auto asking = Try([datagrams, servers = road.stunServers] {
            return ExternalAddress::AskStun(*datagrams, servers);
        });
        const std::optional<std::optional<platform::Ipv4Address>> asked = co_await asking;
        connected = asked && *asked;
        if (connected) {
            const platform::Ipv4Address address = **asked;
            Step([&] {
                SetCaption(Caption::ExternalIP, "Internet IP: " + platform::DottedText(address));
            });
            auto naming =
                Try([datagrams, address] { return ExternalAddress::NameOf(*datagrams, address); });
            const std::optional<std::string> name = co_await naming;
            Step([&] { SetCaption(Caption::ExternalHost, "Host: " + name.value_or("")); });
        }
    } else {
        platform::Internet* internet = &services_.internet;
        auto checking = Try(
            [internet, url = road.pageUrl] { return GetSource::CheckConnection(*internet, url); });
        // A test that fails to run at all counts as passed: the fetch then finds out.
        const std::optional<bool> checked = co_await checking;
        connected = checked.value_or(true);
        if (connected) {
            // The page as fetched is what is searched: a Save or Copy meanwhile may put its own
            // text into txtInfo.
            auto fetching = Try(
                [internet, url = road.pageUrl] { return GetSource::GetPageText(*internet, url); });
            const std::optional<std::string> fetched = co_await fetching;
            const std::string page = fetched.value_or("");
            Step([&] { SetInfoText(page); });
            Step([&] {
                SetCaption(Caption::ExternalIP,
                           "Internet IP: " +
                               GetSource::PageValue(page, InternetAddress::kAddressMarker));
            });
            Step([&] {
                SetCaption(Caption::ExternalHost,
                           "Host: " + GetSource::PageValue(page, InternetAddress::kHostMarker));
            });
        }
    }
    if (!connected) {
        Step([&] { SetCaption(Caption::ExternalIP, "Internet IP: Not Connected"); });
    }

    auto measuring = Try([metrics = &services_.metrics] { return metrics->networkMetric(); });
    const std::optional<int> metric = co_await measuring;
    if (metric) {
        Step([&] {
            SetCaption(Caption::Network, (*metric & 0x2) == 0x2 ? "Network is Installed"
                                                                : "Network is not Installed");
        });
    }
    co_await preparing;
    Step([&] { cmdRefresh_Click(); });
    FillEnded filling{*this};
    co_await filling;

    platform::LocalMachine* machine = &services_.localMachine;
    auto readingIp = Try([machine] { return machine->localIP(); });
    const std::optional<std::string> ip = co_await readingIp;
    if (ip) {
        Step([&] { SetCaption(Caption::LocalIP, "Local IP: " + *ip); });
    }
    auto readingHost = Try([machine] { return machine->localHostName(); });
    const std::optional<std::string> host = co_await readingHost;
    if (host) {
        Step([&] { SetCaption(Caption::LocalHost, "Local Host: " + text::AsciiUpper(*host)); });
    }
    Step([&] { SetCaption(Caption::Status, "Status : Information Retrieved"); });

    if (record_.rows.empty()) {
        Step([&] { AddRow({"", "None Found", "", false}); });
    }
}

void MainPresenter::cmdRefresh2_Click() {
    Form_Load();
}

void MainPresenter::cmdRefresh_Click() {
    // One fill at a time.
    if (filling_ || unloaded_) {
        return;
    }
    Step([&] { ClearRows(); });
    Step([&] { SetBusy(true); });
    filling_ = true;
    const Mailbox::Address mailbox = seams_.mailbox.address();
    ListFill::Events events;
    events.row = [this, mailbox](const std::string& name) {
        mailbox.post([this, name] { Step([&] { AddRow({"KEY_" + name, name, "", true}); }); });
    };
    events.address = [this, mailbox](const std::string& name, const std::string& address) {
        mailbox.post([this, name, address] {
            Step([&] {
                const std::string key = "KEY_" + name;
                for (std::size_t i = 0; i < record_.rows.size(); ++i) {
                    if (record_.rows[i].key == key) {
                        record_.rows[i].address = address;
                        if (view_ != nullptr) {
                            view_->rowAddressChanged(i);
                        }
                        return;
                    }
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

void MainPresenter::FillDone() {
    filling_ = false;
    Step([&] { SetBusy(false); });
    if (const auto waiting = std::exchange(afterFill_, {})) {
        waiting.resume();
    }
}

void MainPresenter::ResetFields() {
    SetCaption(Caption::LocalIP, "Local IP: ");
    SetCaption(Caption::ExternalIP, "External IP: ");
    ClearRows();
}

void MainPresenter::cmdReset_Click() {
    ResetFields();
}

void MainPresenter::FillInfoText() {
    // The list's two columns: the name, then the address.
    constexpr std::size_t kColumns = 2;
    std::vector<Report::Row> rows;
    for (const MainRecord::Row& row : record_.rows) {
        rows.push_back({row.text, row.address});
    }
    Step([&] { SetInfoText(Report::RowsText(rows, kColumns)); });
}

void MainPresenter::Command1_Click() {
    FillInfoText();
}

Report::Stamp MainPresenter::ReadClock() {
    Report::Stamp stamp;
    stamp.date = services_.clock.read(platform::Clock::Reading::Date);
    stamp.time = services_.clock.read(platform::Clock::Reading::Time);
    return stamp;
}

Report::Captions MainPresenter::Captions() const {
    return {record_.localHost, record_.localIP, record_.externalIP, record_.externalHost};
}

std::string MainPresenter::SaveReport() {
    Command1_Click();
    return Report::SaveReport(ReadClock(), velnor::kWebAddresses, Captions(), record_.info);
}

void MainPresenter::cmdCopy_Click() {
    Command1_Click();
    const std::string report =
        Report::CopyReport(ReadClock(), velnor::kWebAddresses[0], Captions(), record_.info);
    if (view_ != nullptr) {
        view_->setClipboardText("");
        view_->setClipboardText(report);
    }
}

void MainPresenter::cmdSave_Click() {
    Command1_Click();
    CD.DialogTitle = "Save Data as...";
    CD.Filter = "Text File|*.txt|All Files|*.*";
    const std::optional<std::string> path =
        view_ != nullptr ? view_->askSaveFile(CD.DialogTitle, CD.Filter, CD.FileName)
                         : std::nullopt;
    if (!path) {
        return;
    }
    CD.FileName = *path;
    const std::string report = SaveReport();
    if (const auto error = services_.files.replaceFile(*path, report)) {
        seams_.messages.show("The report could not be saved to \"" + *path + "\".\n\n" + *error);
    }
}

void MainPresenter::cmdAbout_Click() {
    if (view_ != nullptr && !unloaded_) {
        view_->openAbout();
    }
}

void MainPresenter::cmdClose_Click() {
    Form_Unload();
}

void MainPresenter::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    // The load and the fill stop where they are; what they wait for finishes unseen.
    seams_.mailbox.close();
    if (view_ != nullptr) {
        view_->unloadAll();
    }
    if (seams_.endProgram) {
        seams_.endProgram();
    }
}
