// Starts as the program does (the application, the real services, the main window and its real
// seams, the load sequence) and prints how long it took until the status line says that the
// information is retrieved, then exits at once.
//   velnor_bench_load [EXEC_US]
// EXEC_US is the wall clock in microseconds taken just before the exec (bash: ${EPOCHREALTIME/./});
// without it the process's start time from /proc/self/stat counts, to 10 ms.
// Prints "retrieved_ms MS main_ms MS shown_ms MS load_returned_ms MS internet_ms MS
// message_boxes N origin O internet TEXT": internet_ms is when the Internet address was first
// written (its label left its design-time caption; -1: never), TEXT that label's text then.
// The status line is read from the event loop, whether Load() runs the sequence through or
// returns before it ends.
#include "platform/Services.h"
#include "shell/qt/Program.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const char* const kRetrieved = "Status : Information Retrieved";
constexpr int kGiveUpMs = 120000;

double ClockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Where the milliseconds count from: the exec the caller timed, or the kernel's record of the
// process's start.
class Origin {
public:
    explicit Origin(const char* execUs) {
        std::string digits = execUs != nullptr ? execUs : "";
        bool number = !digits.empty();
        for (const char c : digits) {
            number = number && std::isdigit(static_cast<unsigned char>(c)) != 0;
        }
        if (number) {
            clock_ = CLOCK_REALTIME;
            startMs_ = std::strtod(digits.c_str(), nullptr) / 1e3;
            name_ = "exec";
            return;
        }
        // Field 22, after the command name in parentheses (which may hold spaces).
        std::ifstream stat("/proc/self/stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 22 && fields >> field; ++i) {
        }
        clock_ = CLOCK_BOOTTIME;
        startMs_ = std::strtod(field.c_str(), nullptr) * 1e3 / sysconf(_SC_CLK_TCK);
        name_ = "proc";
    }
    double sinceStart() const { return ClockMs(clock_) - startMs_; }
    const char* name() const { return name_; }

private:
    clockid_t clock_ = CLOCK_REALTIME;
    double startMs_ = 0;
    const char* name_ = "";
};

} // namespace

int main(int argc, char* argv[]) {
    const Origin origin(argc > 1 ? argv[1] : nullptr);
    const double mainMs = origin.sinceStart();

    QApplication app(argc, argv);
    NameApplication();
    const platform::NativeServices native;
    Program program(native.services());
    frmMain& window = program.window();

    auto* status = window.findChild<QLabel*>(QStringLiteral("lblStatus"));
    auto* internet = window.findChild<QLabel*>(QStringLiteral("lblExtIP"));
    if (status == nullptr || internet == nullptr) {
        std::fprintf(stderr, "velnor_bench_load: the main window has no lblStatus or lblExtIP\n");
        return 2;
    }
    const QString internetCaption = internet->text();
    double internetMs = -1;
    QString internetText;
    double shownMs = -1;
    double loadReturnedMs = -1;
    int messageBoxes = 0;
    const auto check = [&] {
        if (shownMs < 0 && window.isVisible() && window.windowHandle() != nullptr &&
            window.windowHandle()->isExposed()) {
            shownMs = origin.sinceStart();
        }
        if (internetMs < 0 && internet->text() != internetCaption) {
            internetMs = origin.sinceStart();
            internetText = internet->text();
        }
        if (status->text() == QLatin1String(kRetrieved)) {
            std::printf("retrieved_ms %.1f main_ms %.1f shown_ms %.1f load_returned_ms %.1f "
                        "internet_ms %.1f message_boxes %d origin %s internet %s\n",
                        origin.sinceStart(), mainMs, shownMs, loadReturnedMs, internetMs,
                        messageBoxes, origin.name(), qPrintable(internetText));
            std::fflush(stdout);
            // Whatever the window does next is not timed; tearing it down would only wait.
            std::_Exit(0);
        }
        // No one clicks OK here: report the message and close it, as a user would.
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "message box: %s\n", qPrintable(box->text()));
            ++messageBoxes;
            box->done(QMessageBox::Ok);
        }
        if (origin.sinceStart() > kGiveUpMs) {
            std::fprintf(stderr, "velnor_bench_load: status still \"%s\" after %d s\n",
                         qPrintable(status->text()), kGiveUpMs / 1000);
            std::_Exit(1);
        }
    };
    // Fires inside the load sequence's own event processing too.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, check);
    poll.start(1);

    if (!program.Load()) {
        std::fprintf(stderr, "velnor_bench_load: the program ended in its load sequence\n");
        return 1;
    }
    loadReturnedMs = origin.sinceStart();
    check();
    return QApplication::exec();
}
