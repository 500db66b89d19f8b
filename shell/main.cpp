#include "platform/Services.h"
#include "shell/CommandLine.h"
#include "shell/Program.h"

#include <QApplication>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

// Standard streams that were closed at the start are opened on /dev/null, so that no file the
// program opens later takes their numbers (a report written into it). True when standard
// output was open.
bool OpenStandardStreams() {
    bool outputOpen = true;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        outputOpen = outputOpen && fd != 1;
        // The lowest free number is this one: the ones below are open by now.
        if (open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) {
            return false;
        }
    }
    return outputOpen;
}

void Complain(const std::string& text) {
    std::fprintf(stderr, "velnor: %s\n", text.c_str());
    std::fflush(stderr);
}

// The bytes on standard output, all of them, and the stream closed: 0, or 1 with the reason on
// standard error (a full disk, a closed pipe).
int Print(const std::string& bytes) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                         std::fflush(stdout) == 0;
    if (written && std::fclose(stdout) == 0) {
        return 0;
    }
    Complain(std::string("cannot write to standard output: ") +
             (errno != 0 ? std::strerror(errno) : "a short write"));
    return 1;
}

// The window until it closes. The window, then the application go when this returns: a
// clipboard manager takes over what Copy put on the clipboard before the program ends.
int RunWindow(int& argc, char* argv[], const platform::Services& services) {
    QApplication app(argc, argv);
    NameApplication();
    Program program(services);
    return program.Load() ? QApplication::exec() : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const bool outputOpen = OpenStandardStreams();
    const CommandLine command = ReadCommandLine(Arguments(argc, argv));
    if (command.action == CommandLine::Action::UsageError) {
        Complain(command.error + "\nTry 'velnor --help'.");
        return 2;
    }
    if (command.action != CommandLine::Action::Window && !outputOpen) {
        Complain("standard output is closed");
        return 1;
    }
    if (command.action == CommandLine::Action::Help) {
        return Print(HelpText());
    }
    if (command.action == CommandLine::Action::Version) {
        return Print(VersionText());
    }
    // The services outlive the windows and the application: work that still runs in the
    // background when they have gone uses them (EndProgram).
    const platform::NativeServices native;
    if (command.action == CommandLine::Action::Report) {
        // No window, no application, no display: the logic on a plain loop.
        return EndProgram(Print(GatherReport(native.services())));
    }
    return EndProgram(RunWindow(argc, argv, native.services()));
}
