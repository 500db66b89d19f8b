#include "app/CommandLine.h"
#include "app/Program.h"
#include "platform/Services.h"

#include <QApplication>

#include <cstdio>
#include <string>

namespace {

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

void Write(std::FILE* stream, const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char* argv[]) {
    const CommandLine command = ReadCommandLine(Arguments(argc, argv));
    switch (command.action) {
    case CommandLine::Action::UsageError:
        Write(stderr, "velnor: " + command.error + "\nTry 'velnor --help'.\n");
        return 2;
    case CommandLine::Action::Help:
        Write(stdout, HelpText());
        return 0;
    case CommandLine::Action::Version:
        Write(stdout, VersionText());
        return 0;
    case CommandLine::Action::Report:
        // No window is shown, so no display is needed.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        break;
    case CommandLine::Action::Window:
        break;
    }
    QApplication app(argc, argv);
    NameApplication();
    const platform::NativeServices native;
    if (command.action == CommandLine::Action::Report) {
        Write(stdout, GatherReport(native.services()));
        return EndProgram(0);
    }
    Program program(native.services());
    return EndProgram(program.window().Load() ? QApplication::exec() : 0);
}
