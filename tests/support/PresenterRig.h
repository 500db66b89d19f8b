#pragma once

#include "base/concurrency/Background.h"
#include "base/concurrency/PlainLoop.h"
#include "logic/presenter/MainPresenter.h"
#include "tests/support/FakeBundle.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fakes {

// A view that records what it is told and answers what it is asked; it has been painted as
// soon as the presenter's thread takes its next turn after show().
class View final : public MainView {
public:
    explicit View(Mailbox::Address mailbox) : mailbox_(std::move(mailbox)) {}
    MainPresenter* presenter = nullptr;
    struct Save {
        std::string title;
        std::string filter;
        std::string fileName;
    };
    std::deque<std::optional<std::string>> answers; // to the save dialog; none: cancelled
    std::vector<Save> asked;
    std::vector<std::string> clipboard; // every text set, in order
    std::vector<Caption> changed;       // every caption told, in order
    int shows = 0;
    int abouts = 0;
    int unloads = 0;
    int busyChanges = 0;

    void captionChanged(Caption caption) override { changed.push_back(caption); }
    void infoChanged() override {}
    void rowsCleared() override {}
    void rowAdded() override {}
    void rowAddressChanged(std::size_t) override {}
    void busyChanged() override { ++busyChanges; }
    void show() override {
        if (shows++ == 0) {
            mailbox_.post([this] { presenter->Painted(); });
        }
    }
    std::optional<std::string> askSaveFile(const std::string& title, const std::string& filter,
                                           const std::string& fileName) override {
        asked.push_back({title, filter, fileName});
        return NextAnswer(answers);
    }
    void setClipboardText(const std::string& text) override { clipboard.push_back(text); }
    void openAbout() override { ++abouts; }
    void unloadAll() override { ++unloads; }

private:
    Mailbox::Address mailbox_;
};

// The main window's presenter over fake services, its view a fake, on a plain loop: no
// toolkit at all.
struct PresenterRig : Bundle<fakes::Files> {
    int ended = 0;
    std::string stunServers; // none: the address page
    PlainLoop loop;
    View view{loop.address()};
    std::unique_ptr<MainPresenter> presenter;

    // What still runs in the background finishes before the fakes that it uses go.
    ~PresenterRig() {
        OpenGates();
        presenter.reset();
        if (!Background::WaitIdle(std::chrono::seconds(10))) {
            std::fprintf(stderr, "background work did not end\n");
            std::abort();
        }
    }
    MainPresenter& make(bool withView = true) {
        presenter = std::make_unique<MainPresenter>(
            services, MainPresenter::Seams{messages, loop.mailbox(), [this] { ++ended; },
                                           InternetAddress::RoadOf(stunServers)});
        if (withView) {
            view.presenter = presenter.get();
            presenter->attach(view);
        }
        return *presenter;
    }
    // Loads as the program's start does, and waits until the load has ended.
    MainPresenter& load() {
        make().Form_Load();
        settle();
        return *presenter;
    }
    // Runs the presenter's thread until the condition holds, also one that background work
    // makes true; false when it does not within five seconds.
    bool until(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            loop.RunUntil(condition, std::chrono::milliseconds(1));
        }
        return true;
    }
    // Until the load and the list fill have ended: the fakes answer at once unless held.
    void settle() {
        until([this] { return !presenter->isLoading() && !presenter->record().busy; });
    }
    // Loads with the gate shut, and runs until the load has come to it.
    bool loadHeldAt(Gate& gate) {
        gate.shut();
        make().Form_Load();
        return until([&] { return gate.arrived() > 0; });
    }
    const MainRecord& record() const { return presenter->record(); }
    // The rows as "NAME - ADDRESS" lines.
    std::vector<std::string> rows() const {
        std::vector<std::string> lines;
        for (const MainRecord::Row& row : record().rows) {
            lines.push_back(row.text + " - " + row.address);
        }
        return lines;
    }
};

} // namespace fakes
