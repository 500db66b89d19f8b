#include "shell/CommandLine.h"

#include "logic/config/BuildConfig.h"

#include <QCommandLineParser>

namespace {

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and ends.")};
    QCommandLineOption version{QStringLiteral("version"),
                               QStringLiteral("Shows the program's version and ends.")};
    QCommandLineOption report{
        QStringLiteral("report"),
        QStringLiteral("Gathers everything as the window does and writes the report, as Save "
                       "would save it, to standard output; shows no window and needs no "
                       "display.")};
};

void Describe(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(
        QStringLiteral("Shows the addresses under which this computer is known: its host name\n"
                       "and local address, its address and host name on the Internet, and the\n"
                       "computers of the network neighbourhood."));
    parser.addOptions({options.help, options.version, options.report});
}

} // namespace

CommandLine ReadCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const Options options;
    Describe(parser, options);
    CommandLine command;
    if (!parser.parse(arguments)) {
        command.action = CommandLine::Action::UsageError;
        command.error = parser.errorText().toStdString();
    } else if (parser.isSet(options.help)) {
        command.action = CommandLine::Action::Help;
    } else if (parser.isSet(options.version)) {
        command.action = CommandLine::Action::Version;
    } else if (!parser.positionalArguments().isEmpty()) {
        command.action = CommandLine::Action::UsageError;
        command.error =
            "Unexpected argument '" + parser.positionalArguments().front().toStdString() + "'.";
    } else if (parser.isSet(options.report)) {
        command.action = CommandLine::Action::Report;
    }
    return command;
}

std::string HelpText() {
    QCommandLineParser parser;
    const Options options;
    Describe(parser, options);
    return "Usage: velnor [--help] [--version] [--report]\n" +
           parser.helpText().section(QLatin1Char('\n'), 1).toStdString();
}

std::string VersionText() {
    return std::string(velnor::kTitle) + " " + std::to_string(velnor::kVersionMajor) + "." +
           std::to_string(velnor::kVersionMinor) + "." + std::to_string(velnor::kVersionRevision) +
           "\n";
}
