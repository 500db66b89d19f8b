#pragma once

#include <string>
#include <vector>

// What the program's command line asks for.
struct CommandLine {
    enum class Action { Window, Help, Version, Report, UsageError };
    Action action = Action::Window;
    // The usage error's message.
    std::string error;
};

// Reads the arguments (the program's name first). --help (-h) wins over --version, which wins
// over --report; an unknown option, a value given to an option, or any other argument is a
// usage error. Short options may be joined ("-h" alone is the only one).
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);

// The text of --help and of --version, each ending in a line break.
std::string HelpText();
std::string VersionText();
