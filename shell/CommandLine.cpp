#include "shell/CommandLine.h"

#include "logic/config/BuildConfig.h"

#include <optional>

namespace {

enum class Option { Help, Version, Report };

std::optional<Option> LongOption(const std::string& name) {
    if (name == "help") {
        return Option::Help;
    }
    if (name == "version") {
        return Option::Version;
    }
    if (name == "report") {
        return Option::Report;
    }
    return std::nullopt;
}

} // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
    CommandLine command;
    bool help = false;
    bool version = false;
    bool report = false;
    const auto fail = [&command](std::string error) {
        if (command.action != CommandLine::Action::UsageError) {
            command.action = CommandLine::Action::UsageError;
            command.error = std::move(error);
        }
    };
    const auto set = [&](Option option) {
        (option == Option::Help ? help : option == Option::Version ? version : report) = true;
    };
    bool optionsEnded = false;
    std::optional<std::string> positional; // the first argument that is no option
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional = positional.value_or(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument[1] == '-') {
            const std::string name = argument.substr(2, argument.find('=') - 2);
            const auto option = LongOption(name);
            if (!option) {
                fail("Unknown option '" + name + "'.");
            } else if (argument.find('=') != std::string::npos) {
                fail("Unexpected value after '--" + name + "'.");
            } else {
                set(*option);
            }
        } else {
            for (const char letter : argument.substr(1)) {
                if (letter == 'h') {
                    set(Option::Help);
                } else {
                    fail(std::string("Unknown option '") + letter + "'.");
                }
            }
        }
    }
    if (command.action == CommandLine::Action::UsageError) {
        return command;
    }
    if (!help && !version && positional) {
        fail("Unexpected argument '" + *positional + "'.");
        return command;
    }
    command.action = help      ? CommandLine::Action::Help
                     : version ? CommandLine::Action::Version
                     : report  ? CommandLine::Action::Report
                               : CommandLine::Action::Window;
    return command;
}

std::string HelpText() {
    return "Usage: velnor [--help] [--version] [--report]\n"
           "Shows the addresses under which this computer is known: its host name\n"
           "and local address, its address and host name on the Internet, and the\n"
           "computers of the network neighbourhood.\n"
           "\n"
           "Options:\n"
           "  -h, --help  Shows this help and ends.\n"
           "  --version   Shows the program's version and ends.\n"
           "  --report    Gathers everything as the window does and writes the report, as\n"
           "              Save would save it, to standard output; shows no window and needs\n"
           "              no display.\n";
}

std::string VersionText() {
    return std::string(velnor::kTitle) + " " + std::to_string(velnor::kVersionMajor) + "." +
           std::to_string(velnor::kVersionMinor) + "." + std::to_string(velnor::kVersionRevision) +
           "\n";
}
