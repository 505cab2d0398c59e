#include "cli/command.h"

#include "cli/clienvironment.h"
#include "cli/texts.h"

namespace moravel {

#define MORAVEL_CLI_COMMAND(factory) std::unique_ptr<Command> factory();
#include "cli/commandlist.h"
#undef MORAVEL_CLI_COMMAND

namespace {

const QCommandLineOption& helpOption() {
    static const QCommandLineOption option(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                           QStringLiteral("Shows this help."));
    return option;
}

QString indented(const QString& text, int width) {
    const QString indent(width, u' ');
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (!line.isEmpty()) {
            line.prepend(indent);
        }
    }
    return lines.join(u'\n');
}

QString programHelp(const std::vector<std::unique_ptr<Command>>& commands) {
    QString text = clitexts::usage(QStringLiteral("COMMAND [OPTIONS]")) + u'\n';
    text += QStringLiteral(
        "\n"
        "Moravel keeps your desktop tidy: it plans an action for every item on your\n"
        "desktop from your rules, cleans the desktop and logs every cleaned item.\n"
        "moravel-cli works on the same configuration and log as the Moravel window.\n"
        "\n"
        "Commands:\n");
    for (const auto& command : commands) {
        text += u'\n' + indented(command->help(), 2);
    }
    text += QStringLiteral(
        "\n"
        "Exit status: 0 success, 1 failure or refusal, 2 wrong usage.\n"
        "With --json, standard output holds the JSON document alone; hints and errors go\n"
        "to standard error.\n");
    return text;
}

int usageError(CliEnvironment& env, const QString& problem, const QString& usage) {
    env.err << clitexts::programName() << QStringLiteral(": ") << problem << u'\n' << usage << u'\n'
            << clitexts::seeHelp() << u'\n';
    env.err.flush();
    return exitstatus::Usage;
}

} // namespace

std::vector<std::unique_ptr<Command>> allCommands() {
    std::vector<std::unique_ptr<Command>> commands;
#define MORAVEL_CLI_COMMAND(factory) commands.push_back(factory());
#include "cli/commandlist.h"
#undef MORAVEL_CLI_COMMAND
    return commands;
}

QString Command::help() const {
    QString text = synopsis() + u'\n' + indented(description(), 4) + u'\n';
    const QList<QCommandLineOption> list = options();
    for (const QCommandLineOption& option : list) {
        QString names;
        for (const QString& optionName : option.names()) {
            names += (names.isEmpty() ? QString() : QStringLiteral(", ")) +
                     (optionName.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) +
                     optionName;
        }
        if (!option.valueName().isEmpty()) {
            names += u' ' + option.valueName();
        }
        text += QStringLiteral("    %1\n%2\n").arg(names, indented(option.description(), 8));
    }
    return text;
}

int Command::wrongUsage(CliEnvironment& env, const QString& problem) const {
    return usageError(env, problem, clitexts::usage(synopsis()));
}

int Command::run(CliEnvironment& env, const QStringList& arguments) {
    const QString usage = clitexts::usage(synopsis());
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(helpOption());
    parser.addOptions(options());
    // "-1" is no option but a (wrong) argument; after "--" the parser takes it as one, so that
    // the command can say what is wrong with it.
    QStringList given = arguments;
    if (takesArguments()) {
        QStringList numbers;
        for (auto it = given.begin(); it != given.end();) {
            if (it->size() > 1 && it->startsWith(u'-') && it->at(1).isDigit()) {
                numbers.append(*it);
                it = given.erase(it);
            } else {
                ++it;
            }
        }
        if (!numbers.isEmpty()) {
            given += QStringLiteral("--");
            given += numbers;
        }
    }
    if (!parser.parse(QStringList{clitexts::programName()} + given)) {
        return usageError(env, parser.errorText(), usage);
    }
    if (parser.isSet(helpOption())) {
        env.out << help();
        env.out.flush();
        return exitstatus::Success;
    }
    if (!takesArguments() && !parser.positionalArguments().isEmpty()) {
        return usageError(env, clitexts::unexpectedArgument(parser.positionalArguments().first()),
                          usage);
    }
    const int status = execute(env, parser);
    env.out.flush();
    env.err.flush();
    return status;
}

int runCli(CliEnvironment& env, const QStringList& arguments) {
    const std::vector<std::unique_ptr<Command>> commands = allCommands();
    const QString usage = clitexts::usage(QStringLiteral("COMMAND [OPTIONS]"));
    if (arguments.isEmpty()) {
        return usageError(env, clitexts::missingCommand(), usage);
    }
    const QString& first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help")) {
        // "help COMMAND" is the same as "COMMAND --help".
        if (arguments.size() > 1) {
            for (const auto& command : commands) {
                if (command->name() == arguments.at(1)) {
                    env.out << command->help();
                    env.out.flush();
                    return exitstatus::Success;
                }
            }
            return usageError(env, clitexts::unknownCommand(arguments.at(1)), usage);
        }
        env.out << programHelp(commands);
        env.out.flush();
        return exitstatus::Success;
    }
    for (const auto& command : commands) {
        if (command->name() == first) {
            return command->run(env, arguments.mid(1));
        }
    }
    return usageError(env, clitexts::unknownCommand(first), usage);
}

} // namespace moravel
