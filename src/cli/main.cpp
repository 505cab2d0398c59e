#include "cli/clienvironment.h"
#include "cli/command.h"
#include "cli/terminalprompts.h"
#include "engine/clock.h"
#include "platform/locations.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // With no organisation name the data folder is $XDG_DATA_HOME/Moravel.
    QCoreApplication::setApplicationName(QStringLiteral("Moravel"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    const bool interactive = ::isatty(STDIN_FILENO) != 0;
    moravel::TerminalPrompts prompts(err, interactive ? &in : nullptr);
    const moravel::XdgLocations locations;
    const moravel::SystemClock clock;
    moravel::CliEnvironment env(out, err, locations, clock, prompts);
    env.stdinIsTerminal = interactive;
    env.stdoutIsTerminal = ::isatty(STDOUT_FILENO) != 0;
    env.stderrIsTerminal = ::isatty(STDERR_FILENO) != 0;
    return moravel::runCli(env, QCoreApplication::arguments().mid(1));
}
