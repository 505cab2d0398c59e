#include "engine/errorcontrol.h"
#include "executor/busyguard.h"
#include "executor/cleancommand.h"
#include "executor/cleansummary.h"
#include "executor/restorecommand.h"
#include "executorfixture.h"

#include <QTest>

#include <limits>

using namespace moravel;
using namespace moravel::testing;

namespace {

class ScriptedConfirmation final : public CleanConfirmation {
public:
    bool answer = true;
    QList<QList<SummaryLine>> shown;

    bool confirmCleaning(const QList<SummaryLine>& summary) override {
        shown.append(summary);
        return answer;
    }
};

// One clean command over a fixture, recording the order of its steps after the run.
struct Command {
    explicit Command(ExecutorFixture& f)
        : command(f.state, f.prompts, f.progress, f.shell, confirmation, guard) {
        command.rescan = [this] { steps << QStringLiteral("rescan"); };
        command.showCleanedItems = [this] { steps << QStringLiteral("showCleanedItems"); };
        command.afterRun = [this] {
            steps << QStringLiteral("afterRun");
            return false;
        };
    }
    ScriptedConfirmation confirmation;
    BusyGuard guard;
    cleanCommand command;
    QStringList steps;
};

} // namespace

class TestCleanCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void summary_linesInOrderWithColourAndWeight();
    void emptyPlan_refused();
    void askItem_refusedNamingTheFirstOnly();
    void notConfirmed_changesNothing();
    void confirmed_runsRescansWritesLogAndFinishes();
    void failedRun_countsTheRunAndReportsTheError();
    void logThatTakesNoRecords_refusesTheRun();
    void recordsNotWritten_namedWithTheirPlaces();
    void runNumberAtItsEnd_staysThere();
    void stoppedRun_endsLikeACompleteOne();
    void failedItem_runWentAheadButDidNotSucceed();
    void whileRunning_everyOtherCommandIsRefused();
};

void TestCleanCommand::summary_linesInOrderWithColourAndWeight() {
    ExecutorFixture f;
    taskManager plan;
    auto add = [&](ActionKind action, int count) {
        for (int i = 0; i < count; ++i) {
            f.add(plan, DesktopKind::User, QStringLiteral("%1-%2").arg(action).arg(i), action);
        }
    };
    add(actions::Leave, 5);
    add(actions::Archive, 2);
    add(actions::Delete, 3);

    const QList<SummaryLine> lines = cleaningSummary(plan);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0].text, QStringLiteral("3 items will be deleted"));
    QCOMPARE(lines[0].colour, SummaryLine::Colour::Red);
    QVERIFY(lines[0].bold);
    QCOMPARE(lines[1].text, QStringLiteral("2 items will be archived"));
    QCOMPARE(lines[1].colour, SummaryLine::Colour::Black);
    QVERIFY(lines[1].bold);
    QCOMPARE(lines[2].text, QStringLiteral("5 items will be left on desktop"));
    QCOMPARE(lines[2].colour, SummaryLine::Colour::Black);
    QVERIFY(!lines[2].bold);

    taskManager other;
    f.add(other, DesktopKind::User, QStringLiteral("r"), actions::Recycle);
    f.add(other, DesktopKind::User, QStringLiteral("m"), actions::MoveToFolder, f.root());
    const QList<SummaryLine> two = cleaningSummary(other);
    QCOMPARE(two.size(), 2);
    QCOMPARE(two[0].text, QStringLiteral("1 items will be moved to the recycle bin"));
    QCOMPARE(two[0].colour, SummaryLine::Colour::Red);
    QCOMPARE(two[1].text, QStringLiteral("1 items will be moved to the folders defined in rules"));
    QVERIFY(two[1].bold);
}

void TestCleanCommand::emptyPlan_refused() {
    ExecutorFixture f;
    Command c(f);
    const CleanOutcome outcome = c.command.clean(taskManager());
    QCOMPARE(outcome.result, CleanOutcome::Result::Refused);
    QCOMPARE(f.prompts.messages, QStringList({QStringLiteral("There is nothing to clean.")}));
    QVERIFY(c.confirmation.shown.isEmpty());
    QCOMPARE(f.state.nroOperacion, 0);
    QVERIFY(c.steps.isEmpty());
}

void TestCleanCommand::askItem_refusedNamingTheFirstOnly() {
    ExecutorFixture f;
    Command c(f);
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("gone.txt"), actions::Delete);
    f.add(plan, DesktopKind::User, QStringLiteral("first.txt"), actions::Ask);
    f.add(plan, DesktopKind::Public, QStringLiteral("second.txt"), actions::Ask);
    const CleanOutcome outcome = c.command.clean(plan);

    QCOMPARE(outcome.result, CleanOutcome::Result::Refused);
    QCOMPARE(
        f.prompts.warnings,
        QStringList({QStringLiteral("Please choose what to do with the file: \"first.txt\"")}));
    QVERIFY(c.confirmation.shown.isEmpty());
    QCOMPARE(f.state.nroOperacion, 0);
    QVERIFY(f.exists(f.userDesktop() + QStringLiteral("/gone.txt")));
}

void TestCleanCommand::notConfirmed_changesNothing() {
    ExecutorFixture f;
    Command c(f);
    c.confirmation.answer = false;
    f.state.nroOperacion = 7;
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Delete);
    const CleanOutcome outcome = c.command.clean(plan);

    QCOMPARE(outcome.result, CleanOutcome::Result::Cancelled);
    QCOMPARE(c.confirmation.shown.size(), 1);
    QCOMPARE(f.state.nroOperacion, 7);
    QVERIFY(f.exists(f.userDesktop() + QStringLiteral("/a.txt")));
    QVERIFY(!f.exists(f.locations.data + QStringLiteral("/cfg.mvk")));
    QVERIFY(f.prompts.everything().isEmpty());
    QVERIFY(c.steps.isEmpty());
}

void TestCleanCommand::confirmed_runsRescansWritesLogAndFinishes() {
    ExecutorFixture f;
    Command c(f);
    f.state.nroOperacion = 7;
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Archive);
    f.add(plan, DesktopKind::User, QStringLiteral("b.txt"), actions::Leave);
    // The message comes after the browser was shown and before the update check.
    c.command.showCleanedItems = [&] {
        QVERIFY(f.prompts.messages.isEmpty());
        c.steps << QStringLiteral("showCleanedItems");
    };
    const CleanOutcome outcome = c.command.clean(plan);

    QCOMPARE(outcome.result, CleanOutcome::Result::WentAhead);
    QVERIFY(outcome.succeeded());
    QVERIFY(outcome.logWritten);
    QCOMPARE(c.confirmation.shown.size(), 1);
    QCOMPARE(c.confirmation.shown[0].size(), 2);
    QCOMPARE(f.state.nroOperacion, 8);
    QCOMPARE(f.state.logLines.size(), std::size_t(1));
    QCOMPARE(f.state.logLines[0]->operationNumber, 8);
    QCOMPARE(c.steps, QStringList({QStringLiteral("rescan"), QStringLiteral("showCleanedItems"),
                                   QStringLiteral("afterRun")}));
    QCOMPARE(f.prompts.messages, QStringList({QStringLiteral("Cleaning finished")}));
    const QByteArray log = f.readFile(f.locations.data + QStringLiteral("/MVL.log"));
    QVERIFY(log.startsWith("8,a.txt,"));
    QVERIFY(log.endsWith("\r\n"));
}

void TestCleanCommand::failedRun_countsTheRunAndReportsTheError() {
    ExecutorFixture f;
    Command c(f);
    f.state.nroOperacion = 7;
    f.state.rutaRepositorio = f.root() + QStringLiteral("/no parent/Archive");
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Archive);
    const CleanOutcome outcome = c.command.clean(plan);

    QCOMPARE(outcome.result, CleanOutcome::Result::Failed);
    QCOMPARE(f.state.nroOperacion, 8);
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(
        f.prompts.messages[0].startsWith(QStringLiteral("Error: Fallo creación directorio2 (")),
        qPrintable(f.prompts.messages[0]));
    QCOMPARE(c.steps, QStringList({QStringLiteral("rescan")})); // no log, no update check
    QCOMPARE(f.readFile(f.locations.data + QStringLiteral("/MVL.log")), QByteArray());
    QVERIFY(f.exists(f.userDesktop() + QStringLiteral("/a.txt")));
}

// A log that cannot take records: the run is refused before anything is touched.
void TestCleanCommand::logThatTakesNoRecords_refusesTheRun() {
    ExecutorFixture f;
    Command c(f);
    QDir().mkpath(f.locations.data + QStringLiteral("/MVL.log"));
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Delete);
    const CleanOutcome outcome = c.command.clean(plan);

    QCOMPARE(outcome.result, CleanOutcome::Result::Failed);
    QVERIFY(!outcome.succeeded());
    QCOMPARE(f.prompts.messages.size(), 1);
    QVERIFY2(f.prompts.messages[0].startsWith(QStringLiteral("Error: The cleaning log \"")),
             qPrintable(f.prompts.messages[0]));
    QCOMPARE(f.entries(f.userDesktop()), QStringList{QStringLiteral("a.txt")});
}

// Records that could not be written by the end of the run: the user learns which items were
// cleaned without one and where they are now, and the command does not count as a success.
void TestCleanCommand::recordsNotWritten_namedWithTheirPlaces() {
    ExecutorFixture f;
    Command c(f);
    const QString target = f.root() + QStringLiteral("/Target");
    QDir().mkpath(target);
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("moved.txt"), actions::MoveToFolder, target);
    f.add(plan, DesktopKind::User, QStringLiteral("gone.txt"), actions::Delete);
    // Once the run is on, the log is closed and a folder takes its place, as when the disk it
    // lies on goes away: no record can be written from the first item on.
    const QString log = f.locations.data + QStringLiteral("/MVL.log");
    f.progress.onStep = [&](int position) {
        if (position == 0) {
            errorControl ignored;
            f.state.writeLog(ignored);
            QFile::remove(log);
            QDir().mkpath(log);
        }
    };
    const CleanOutcome outcome = c.command.clean(plan);

    QCOMPARE(outcome.result, CleanOutcome::Result::WentAhead);
    QVERIFY(!outcome.logWritten);
    QVERIFY(!outcome.succeeded());
    QCOMPARE(f.prompts.messages.size(), 2);
    QVERIFY2(f.prompts.messages[0].startsWith(QStringLiteral("\"moved.txt\" was cleaned, but")),
             qPrintable(f.prompts.messages[0]));
    QVERIFY2(f.prompts.messages[1].startsWith(QStringLiteral("Error while saving log. ")),
             qPrintable(f.prompts.messages[1]));
    QVERIFY2(f.prompts.messages[1].endsWith(
                 QStringLiteral("These items were cleaned but have no record in the log:\n"
                                "\"moved.txt\": now in \"") +
                 target + u'"'),
             qPrintable(f.prompts.messages[1]));
    // The run stopped at the item whose record failed; the next stayed.
    QCOMPARE(f.entries(f.userDesktop()), QStringList{QStringLiteral("gone.txt")});
}

// At the largest run number the count stays rather than turning negative.
void TestCleanCommand::runNumberAtItsEnd_staysThere() {
    ExecutorFixture f;
    Command c(f);
    f.state.nroOperacion = std::numeric_limits<std::int32_t>::max();
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Delete);
    QVERIFY(c.command.clean(plan).succeeded());
    QCOMPARE(f.state.nroOperacion, std::numeric_limits<std::int32_t>::max());
    QCOMPARE(f.state.logLines.front()->operationNumber, std::numeric_limits<std::int32_t>::max());
}

void TestCleanCommand::stoppedRun_endsLikeACompleteOne() {
    ExecutorFixture f;
    Command c(f);
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Delete);
    f.add(plan, DesktopKind::User, QStringLiteral("b.txt"), actions::Delete);
    f.progress.cancelAt = 1;
    f.prompts.answers = {true};
    const CleanOutcome outcome = c.command.clean(plan);

    QCOMPARE(outcome.result, CleanOutcome::Result::WentAhead);
    QVERIFY(outcome.stopped);
    QVERIFY(!outcome.succeeded()); // not every item was handled
    QCOMPARE(f.prompts.messages, QStringList({QStringLiteral("Cleaning finished")}));
    QCOMPARE(c.steps, QStringList({QStringLiteral("rescan"), QStringLiteral("showCleanedItems"),
                                   QStringLiteral("afterRun")}));
    QCOMPARE(f.entries(f.userDesktop()), QStringList({QStringLiteral("b.txt")}));
    QVERIFY(f.readFile(f.locations.data + QStringLiteral("/MVL.log")).contains("a.txt"));
}

void TestCleanCommand::failedItem_runWentAheadButDidNotSucceed() {
    ExecutorFixture f;
    Command c(f);
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::MoveToFolder,
          f.root() + QStringLiteral("/missing"));
    f.add(plan, DesktopKind::User, QStringLiteral("b.txt"), actions::Delete);
    const CleanOutcome outcome = c.command.clean(plan);

    QCOMPARE(outcome.result, CleanOutcome::Result::WentAhead);
    QCOMPARE(outcome.failedItems, 1);
    QVERIFY(!outcome.succeeded());
    QCOMPARE(f.prompts.messages.size(), 2); // the item's failure, then "Cleaning finished"
    QCOMPARE(f.prompts.messages.last(), QStringLiteral("Cleaning finished"));
    QCOMPARE(f.entries(f.userDesktop()), QStringList({QStringLiteral("a.txt")}));
}

void TestCleanCommand::whileRunning_everyOtherCommandIsRefused() {
    ExecutorFixture f;
    Command c(f);
    restoreCommand restore(f.state, f.prompts, f.progress, f.shell, c.guard);
    taskManager plan;
    f.add(plan, DesktopKind::User, QStringLiteral("a.txt"), actions::Delete);
    taskManager second;
    f.add(second, DesktopKind::User, QStringLiteral("b.txt"), actions::Delete);

    QVERIFY(!c.command.isBusy());
    bool checked = false;
    // The user's input reaches the program inside the progress, between two items.
    f.progress.onStep = [&](int) {
        if (checked) {
            return;
        }
        checked = true;
        QVERIFY(c.command.isBusy());
        QVERIFY(restore.isBusy());
        QCOMPARE(c.command.clean(second).result, CleanOutcome::Result::Refused);
        QVERIFY(restore.restore({{0, true}}).refused);
        QVERIFY(c.command.isBusy()); // a refused command does not release the running one
    };
    const CleanOutcome outcome = c.command.clean(plan);

    QVERIFY(checked);
    QVERIFY(outcome.succeeded());
    QVERIFY(!c.command.isBusy());
    const QString busy =
        QStringLiteral("A cleaning or a restore is under way. Please wait until it has finished.");
    QCOMPARE(f.prompts.messages, QStringList({busy, busy, QStringLiteral("Cleaning finished")}));
    QVERIFY(f.exists(f.userDesktop() + QStringLiteral("/b.txt")));
    QCOMPARE(c.confirmation.shown.size(), 1);

    // And the other way round: a restore holds the guard against a clean.
    f.progress.onStep = [&](int) {
        QCOMPARE(c.command.clean(second).result, CleanOutcome::Result::Refused);
    };
    f.prompts.messages.clear();
    const RestoreResult restored = restore.restore({{0, false}});
    QVERIFY(!restored.refused);
    QCOMPARE(f.prompts.messages, QStringList({busy}));
    QVERIFY(!restore.isBusy());
}

QTEST_GUILESS_MAIN(TestCleanCommand)
#include "test_cleancommand.moc"
