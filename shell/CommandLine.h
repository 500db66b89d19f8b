#pragma once

#include <QStringList>

#include <string>

// What the program's command line asks for.
struct CommandLine {
    enum class Action { Window, Help, Version, Report, UsageError };
    Action action = Action::Window;
    // The usage error's message.
    std::string error;
};

// Reads the arguments (the program's name first). --help wins over --version, which wins over
// --report; an unknown option or any other argument is a usage error.
CommandLine ReadCommandLine(const QStringList& arguments);

// The text of --help and of --version, each ending in a line break.
std::string HelpText();
std::string VersionText();
