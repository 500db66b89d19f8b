#include "shell/Report.h"

#include "base/concurrency/Background.h"
#include "base/concurrency/PlainLoop.h"
#include "logic/presenter/MainPresenter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// Nobody is there to click OK: the message goes to standard error.
class StandardErrorMessages final : public platform::MessageBox {
public:
    void show(const std::string& text) override {
        std::fprintf(stderr, "velnor: %s\n", text.c_str());
    }
};

} // namespace

std::string GatherReport(const platform::Services& services, platform::MessageBox& messages,
                         const InternetAddress::Road& road) {
    PlainLoop loop;
    MainPresenter presenter(services, {messages, loop.mailbox(), {}, road});
    presenter.Form_Load();
    loop.RunUntil([&presenter] { return !presenter.isLoading(); });
    return presenter.SaveReport();
}

std::string GatherReport(const platform::Services& services) {
    StandardErrorMessages messages;
    return GatherReport(services, messages, InternetAddress::BuildRoad());
}

int EndProgram(int status) {
    if (!Background::WaitIdle(std::chrono::milliseconds(250))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
