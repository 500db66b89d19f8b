#include "shell/Main.h"

#include "shell/CommandLine.h"
#include "shell/Output.h"
#include "shell/Report.h"

#include <string>
#include <vector>

int Main(int argc, char* argv[], const RunWindow& runWindow) {
    const bool outputOpen = OpenStandardStreams();
    const CommandLine command = ReadCommandLine(std::vector<std::string>(argv, argv + argc));
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
    // The services outlive the windows: work that still runs in the background when they have
    // gone uses them (EndProgram).
    const platform::NativeServices native;
    if (command.action == CommandLine::Action::Report) {
        // No window, no display: the logic on a plain loop.
        return EndProgram(Print(GatherReport(native.services())));
    }
    return EndProgram(runWindow(argc, argv, native.services()));
}
