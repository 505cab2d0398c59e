#include "cli/clienvironment.h"
#include "cli/command.h"
#include "cli/output.h"
#include "cli/startup.h"
#include "cli/texts.h"
#include "engine/errorcontrol.h"
#include "platform/shellinfo.h"
#include "scanner/formatsize.h"
#include "scanner/listtexts.h"
#include "scanner/taskmanager.h"
#include "storage/global.h"
#include "storage/localedatetime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace moravel {

namespace {

const QCommandLineOption jsonOption(QStringLiteral("json"),
                                    QStringLiteral("Prints the plan as one JSON array."));

QString desktopName(DesktopKind desktop) {
    return desktop == DesktopKind::Public ? listtexts::publicDesktop() : listtexts::userDesktop();
}

QJsonArray planAsJson(const taskManager& plan) {
    QJsonArray items;
    for (std::size_t index = 0; index < plan.tasks.size(); ++index) {
        const task& item = *plan.tasks[index];
        QJsonObject object{
            {QStringLiteral("index"), static_cast<qint64>(index)},
            {QStringLiteral("name"), item.name},
            {QStringLiteral("desktop"), desktopName(item.desktop)},
            {QStringLiteral("sourceFolder"), item.sourceFolder},
            {QStringLiteral("isFolder"), item.isFolder},
            {QStringLiteral("size"), static_cast<qint64>(item.size)},
            {QStringLiteral("modified"), isoDateTime(item.modified)},
            {QStringLiteral("accessed"), isoDateTime(item.accessed)},
            {QStringLiteral("typeName"), item.typeName},
            {QStringLiteral("action"), item.action},
            {QStringLiteral("actionName"), actionName(item.action)},
            {QStringLiteral("destination"), item.destination},
        };
        addExactName(object, QStringLiteral("nameBytes"), item.nameBytes);
        items.append(object);
    }
    return items;
}

QString planAsText(const taskManager& plan) {
    QList<QStringList> rows;
    rows.reserve(static_cast<qsizetype>(plan.tasks.size()));
    for (const auto& item : plan.tasks) {
        rows.append({item->name, item->typeName,
                     item->isFolder ? listtexts::folderSize() : formatSize(item->size),
                     dateTimeText(item->modified), desktopName(item->desktop),
                     actionName(item->action), item->destination});
    }
    QString text =
        textTable({listtexts::nameColumn(), listtexts::typeColumn(), listtexts::sizeColumn(),
                   listtexts::modifiedColumn(), listtexts::desktopColumn(),
                   listtexts::actionColumn(), listtexts::destinationColumn()},
                  rows);
    text += u'\n';
    for (ActionKind kind = actions::Leave; kind <= actions::Ask; ++kind) {
        text += clitexts::actionCount(actionName(kind), plan.countByAction(kind)) + u'\n';
    }
    return text;
}

// Scans both desktops into a plan, as the window's refresh does, and prints it.
class PlanCommand final : public Command {
public:
    QString name() const override { return QStringLiteral("plan"); }
    QString synopsis() const override { return QStringLiteral("plan [--json]"); }
    QString description() const override {
        return QStringLiteral(
            "Scans your desktop and prints the plan: every item with its type, size, last\n"
            "change, desktop, planned action and destination, then the number of items per\n"
            "action. Nothing on disk is changed. In --json, a name that is not UTF-8 also\n"
            "comes as its exact bytes in hexadecimal, under nameBytes.");
    }

protected:
    QList<QCommandLineOption> options() const override { return {jsonOption}; }

    int execute(CliEnvironment& env, const QCommandLineParser& parser) override {
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
        if (parser.isSet(jsonOption)) {
            env.out << QString::fromUtf8(QJsonDocument(planAsJson(plan)).toJson());
        } else {
            env.out << planAsText(plan);
        }
        return exitstatus::Success;
    }
};

} // namespace

std::unique_ptr<Command> newPlanCommand() {
    return std::make_unique<PlanCommand>();
}

} // namespace moravel
