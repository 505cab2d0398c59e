// Runs one file operation in a process of its own, so that tests can run it where they cannot
// run themselves: as another user, or in a private mount namespace with a full disk.
// Usage: platform_shellhelper move|copy|delete|trash PATH [DESTINATION]
// Prints every message shown to the user, then "arrived: NAME" on success; exits 0 on
// success, 1 on failure, 2 on wrong usage.
#include "platform/shelloperations.h"
#include "scriptedprompts.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool twoPaths = !args.isEmpty() && (args[0] == u"move" || args[0] == u"copy");
    if (args.size() != (twoPaths ? 3 : 2)) {
        return 2;
    }
    moravel::testing::ScriptedPrompts prompts;
    moravel::ShellOperations shell(prompts);
    // The paths as the file system has them: the arguments' own bytes.
    const QByteArray first = QFile::encodeName(args[1]);
    const QByteArray second = args.size() > 2 ? QFile::encodeName(args[2]) : QByteArray();
    QByteArray arrived;
    bool ok = false;
    if (args[0] == u"move") {
        moravel::Arrival arrival;
        ok = shell.shellMove(first, second, &arrival);
        arrived = arrival.name;
    } else if (args[0] == u"copy") {
        ok = shell.shellCopy(first, second, &arrived);
    } else if (args[0] == u"delete" || args[0] == u"trash") {
        ok = shell.shellDelete(first, args[0] == u"trash");
    } else {
        return 2;
    }
    QTextStream out(stdout);
    for (const QString& text : prompts.everything()) {
        out << text << '\n';
    }
    if (ok && !arrived.isEmpty()) {
        out << "arrived: " << arrived << '\n';
    }
    return ok ? 0 : 1;
}
