#include "cli/clienvironment.h"
#include "cli/command.h"
#include "cli/output.h"
#include "cli/startup.h"
#include "cli/texts.h"
#include "engine/asciicase.h"
#include "engine/errorcontrol.h"
#include "scanner/listtexts.h"
#include "storage/global.h"
#include "storage/localedatetime.h"
#include "storage/logselection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace moravel {

namespace {

const QCommandLineOption jsonOption(QStringLiteral("json"),
                                    QStringLiteral("Prints the records as one JSON array."));
const QCommandLineOption maskOption(
    QStringLiteral("mask"),
    QStringLiteral("Only names that match MASK (\"*\", \"?\", \"[set]\"); a mask without \"*\"\n"
                   "finds every name that contains it. Default, and \"*.*\": every name."),
    QStringLiteral("MASK"));
const QCommandLineOption dateOption(
    QStringLiteral("date"),
    QStringLiteral("Only items cleaned on DATE, written in your short date format as the\n"
                   "Cleaning date column shows it. Default: every date."),
    QStringLiteral("DATE"));
const QCommandLineOption
    allOption(QStringLiteral("all"),
              QStringLiteral("Lists every matching record, not only the newest 50."));

// Lists the cleaned items as the browser of the window selects them.
class LogCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("log"); }
    QString synopsis() const override {
        return QStringLiteral("log [--json] [--mask MASK] [--date DATE] [--all]");
    }
    QString description() const override {
        return QStringLiteral(
            "Lists the items that cleaning runs took off the desktop: the newest 50 records\n"
            "that match, in name order, with their action, cleaning date and destination.\n"
            "With --json each record also carries its index in the log, and a name that is\n"
            "not UTF-8 its exact bytes in hexadecimal, under itemNameBytes.");
    }

protected:
    QList<QCommandLineOption> options() const override {
        return {jsonOption, maskOption, dateOption, allOption};
    }

    int execute(CliEnvironment& env, const QCommandLineParser& parser) override {
        global state(env.locations, env.clock);
        if (!loadState(state, env)) {
            return exitstatus::Failure;
        }
        RecordSelection selection;
        errorControl error;
        if (!selectRecords(state, parser.value(maskOption),
                           parser.isSet(dateOption) ? parser.value(dateOption) : QString(),
                           parser.isSet(allOption), selection, error)) {
            env.err << error.message << u'\n';
            return exitstatus::Failure;
        }
        std::vector<int> selected = selection.records;
        const bool capped = selection.capped;
        // Newest first before sorting, so records of one name stay newest first.
        std::stable_sort(selected.begin(), selected.end(), [&state](int a, int b) {
            return compareIgnoringAsciiCase(state.logLines[static_cast<std::size_t>(a)]->itemName,
                                            state.logLines[static_cast<std::size_t>(b)]->itemName) <
                   0;
        });

        const bool json = parser.isSet(jsonOption);
        if (json) {
            QJsonArray records;
            for (const int i : selected) {
                const logLine& record = *state.logLines[static_cast<std::size_t>(i)];
                QJsonObject object{
                    {QStringLiteral("index"), i},
                    {QStringLiteral("operationNumber"), record.operationNumber},
                    {QStringLiteral("itemName"), record.itemName},
                    {QStringLiteral("destinationFolder"), record.destinationFolder},
                    {QStringLiteral("performedAction"), record.performedAction},
                    {QStringLiteral("actionName"), actionName(record.performedAction)},
                    {QStringLiteral("cleanedAt"), isoDateTime(record.cleanedAt)},
                };
                addExactName(object, QStringLiteral("itemNameBytes"), record.itemNameBytes());
                records.append(object);
            }
            env.out << QString::fromUtf8(QJsonDocument(records).toJson());
        } else {
            QList<QStringList> rows;
            for (const int i : selected) {
                const logLine& record = *state.logLines[static_cast<std::size_t>(i)];
                rows.append({record.itemName, actionName(record.performedAction),
                             shortDateText(record.cleanedAt), record.destinationFolder});
            }
            env.out << textTable({listtexts::nameColumn(), listtexts::actionColumn(),
                                  listtexts::cleaningDateColumn(), listtexts::destinationColumn()},
                                 rows);
        }
        if (capped) {
            // With --json the hint must not spoil the document.
            QTextStream& hint = json ? env.err : env.out;
            hint << clitexts::showingFirst(browserRowLimit) << u'\n';
        }
        return exitstatus::Success;
    }
};

} // namespace

std::unique_ptr<Command> newLogCommand() {
    return std::make_unique<LogCommand>();
}

} // namespace moravel
