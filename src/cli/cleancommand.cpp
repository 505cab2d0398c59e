#include "executor/cleancommand.h"

#include "cli/clienvironment.h"
#include "cli/command.h"
#include "cli/runtexts.h"
#include "cli/startup.h"
#include "cli/terminalprogress.h"
#include "engine/errorcontrol.h"
#include "executor/busyguard.h"
#include "platform/servicetexts.h"
#include "platform/shellinfo.h"
#include "platform/shelloperations.h"
#include "platform/singleinstance.h"
#include "platform/updateservice.h"
#include "platform/xdgurlopener.h"
#include "scanner/taskmanager.h"
#include "storage/global.h"
#include "storage/updatecheck.h"

namespace moravel {

namespace {

const QCommandLineOption
    yesOption(QStringLiteral("yes"),
              QStringLiteral("Goes ahead without asking, and stops at once on Ctrl-C."));

// Prints the summary on standard output, in colour on a terminal, and asks to go ahead.
class TerminalConfirmation final : public CleanConfirmation {
public:
    TerminalConfirmation(CliEnvironment& env, bool answerYes) : m_env(env), m_yes(answerYes) {}

    bool confirmCleaning(const QList<SummaryLine>& summary) override {
        for (const SummaryLine& line : summary) {
            if (m_env.stdoutIsTerminal && (line.bold || line.colour == SummaryLine::Colour::Red)) {
                // Black is the terminal's own text colour, which may well be light.
                const QLatin1String style(line.colour == SummaryLine::Colour::Red
                                              ? (line.bold ? "\x1b[1;31m" : "\x1b[31m")
                                              : "\x1b[1m");
                m_env.out << style << line.text << QLatin1String("\x1b[0m") << u'\n';
            } else {
                m_env.out << line.text << u'\n';
            }
        }
        m_env.out.flush();
        return m_yes || m_env.prompts.confirmYesNo(clitexts::proceedQuestion());
    }

private:
    CliEnvironment& m_env;
    bool m_yes;
};

// The window's "Start Cleaning" in a terminal.
class CleanCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("clean"); }
    QString synopsis() const override { return QStringLiteral("clean [--yes]"); }
    QString description() const override {
        return QStringLiteral(
            "Cleans your desktop as planned (see plan): prints how many items will be\n"
            "deleted, trashed, archived, moved and left, asks \"Proceed? [y/N]\", then carries\n"
            "the plan out with a progress bar and logs every cleaned item. Ctrl-C stops the\n"
            "run between two items, after asking. Refused when the desktop is empty or an item\n"
            "is still planned as \"? Ask what to do\", and while another Moravel runs. After\n"
            "the run, a build with an update host asks it for a newer version; --yes does\n"
            "not answer its download question. Exit status 0 only when the run went\n"
            "ahead and every item it reached was handled.");
    }

protected:
    QList<QCommandLineOption> options() const override { return {yesOption}; }

    int execute(CliEnvironment& env, const QCommandLineParser& parser) override {
        // A window running beside the run would later save its own, older configuration and
        // log over the run's: the lock is held from here to the end, questions included.
        SingleInstance instance(env.locations);
        if (!instance.checkSingleInstance()) {
            env.err << texts::anotherMoravelRuns() << u'\n';
            return exitstatus::Failure;
        }
        global state(env.locations, env.clock);
        if (!loadState(state, env)) {
            return exitstatus::Failure;
        }
        ShellInfo shellInfo;
        taskManager plan;
        errorControl error;
        if (!plan.scanDesktops(state, shellInfo, error)) {
            env.err << error.message << u'\n';
            return exitstatus::Failure;
        }

        const bool yes = parser.isSet(yesOption);
        TerminalProgress progress(env.err, env.stderrIsTerminal);
        RunPrompts prompts(env.prompts, env.err, progress, yes);
        ShellOperations shell(prompts);
        TerminalConfirmation confirmation(env, yes);
        BusyGuard guard;
        cleanCommand command(state, prompts, progress, shell, confirmation, guard);
        // No rescan: a terminal has no view of the desktop to bring up to date.
        const UpdateService buildService;
        XdgUrlOpener xdgOpener;
        const UpdateService& service = env.updateService ? *env.updateService : buildService;
        UrlOpener& opener = env.urlOpener ? *env.urlOpener : xdgOpener;
        // Downloading is the user's own decision: --yes does not answer it.
        RunPrompts updatePrompts(env.prompts, env.err, progress, false);
        // A program asked to end (SIGTERM, a closed terminal) does not wait on the network.
        command.afterRun = [&] {
            return !progress.mustStop() && checkForUpdate(state, updatePrompts, opener, service);
        };
        const CleanOutcome outcome = command.clean(plan);
        return outcome.succeeded() ? exitstatus::Success : exitstatus::Failure;
    }
};

} // namespace

std::unique_ptr<Command> newCleanCommand() {
    return std::make_unique<CleanCommand>();
}

} // namespace moravel
