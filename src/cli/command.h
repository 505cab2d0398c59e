#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace moravel {

class CliEnvironment;

// One command of moravel-cli ("plan", "log", ...). A command parses its own options, prints
// its results on the environment's `out` and its errors on `err`, and returns the exit status.
class Command {
public:
    virtual ~Command() = default;

    // The word that selects the command.
    virtual QString name() const = 0;
    // The command line without the program name, e.g. "plan [--json]".
    virtual QString synopsis() const = 0;
    // What the command does, in a few lines of plain text.
    virtual QString description() const = 0;

    // Parses `arguments` (those after the command's name) and runs the command. Wrong usage
    // prints the command's usage on `err` and gives exit status 2; "--help" prints its help.
    int run(CliEnvironment& env, const QStringList& arguments);
    // The full help of the command: synopsis, description and options.
    QString help() const;

protected:
    // The options besides "--help".
    virtual QList<QCommandLineOption> options() const { return {}; }
    // Whether the command takes arguments that are not options.
    virtual bool takesArguments() const { return false; }
    virtual int execute(CliEnvironment& env, const QCommandLineParser& parser) = 0;
    // For `execute`: prints `problem` and the command's usage on `err`; gives exit status 2.
    int wrongUsage(CliEnvironment& env, const QString& problem) const;
};

// Every command, in the order of the help text.
std::vector<std::unique_ptr<Command>> allCommands();

// Runs moravel-cli with the arguments after the program name; returns the exit status.
int runCli(CliEnvironment& env, const QStringList& arguments);

} // namespace moravel
