#include "executor/restorecommand.h"

#include "cli/clienvironment.h"
#include "cli/command.h"
#include "cli/runtexts.h"
#include "cli/startup.h"
#include "cli/terminalprogress.h"
#include "executor/busyguard.h"
#include "platform/servicetexts.h"
#include "platform/shelloperations.h"
#include "platform/singleinstance.h"
#include "storage/global.h"

namespace moravel {

namespace {

// The browser's "Restore to Desktop" in a terminal, for the records `log` lists.
class RestoreCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("restore"); }
    QString synopsis() const override { return QStringLiteral("restore INDEX..."); }
    QString description() const override {
        return QStringLiteral(
            "Copies the items of the given log records (the index that log --json shows)\n"
            "back to your desktop; they also stay where they were cleaned to. An item whose\n"
            "name is taken on the desktop comes back under a new name. Recycled and deleted\n"
            "items have nowhere to come back from and are passed over. Ctrl-C stops before\n"
            "the next item. Refused while another Moravel runs.");
    }

protected:
    bool takesArguments() const override { return true; }

    int execute(CliEnvironment& env, const QCommandLineParser& parser) override {
        // "--" may stand before the indexes, as for any command; it is no index itself.
        QStringList arguments = parser.positionalArguments();
        arguments.removeAll(QStringLiteral("--"));
        if (arguments.isEmpty()) {
            return wrongUsage(env, clitexts::missingIndex());
        }
        QList<int> indexes;
        for (const QString& argument : arguments) {
            bool ok = false;
            const int index = argument.toInt(&ok, 10);
            if (!ok || index < 0) {
                return wrongUsage(env, clitexts::notAnIndex(argument));
            }
            indexes.append(index);
        }

        // A window running beside the restore would later save its own, older log over it.
        SingleInstance instance(env.locations);
        if (!instance.checkSingleInstance()) {
            env.err << texts::anotherMoravelRuns() << u'\n';
            return exitstatus::Failure;
        }
        global state(env.locations, env.clock);
        if (!loadState(state, env)) {
            return exitstatus::Failure;
        }
        // Every index is checked before anything is copied.
        const auto count = static_cast<qsizetype>(state.logLines.size());
        QList<RestoreRow> rows;
        for (const int index : indexes) {
            if (index >= count) {
                env.err << clitexts::noSuchRecord(index, count) << u'\n';
                return exitstatus::Failure;
            }
            rows.append({index, true});
        }

        TerminalProgress progress(env.err, env.stderrIsTerminal);
        RunPrompts prompts(env.prompts, env.err, progress, false);
        ShellOperations shell(prompts);
        BusyGuard guard;
        restoreCommand command(state, prompts, progress, shell, guard);
        const RestoreResult result = command.restore(rows);
        for (const RestoredItem& item : result.restored) {
            const QString& name = state.logLines[static_cast<std::size_t>(item.logIndex)]->itemName;
            env.out << clitexts::restored(name, item.desktopName) << u'\n';
        }
        const bool allDone = !result.refused && !result.noDesktop && result.failed == 0;
        return allDone ? exitstatus::Success : exitstatus::Failure;
    }
};

} // namespace

std::unique_ptr<Command> newRestoreCommand() {
    return std::make_unique<RestoreCommand>();
}

} // namespace moravel
