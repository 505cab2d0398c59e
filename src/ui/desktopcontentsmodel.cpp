#include "ui/desktopcontentsmodel.h"

#include "engine/actionkind.h"
#include "engine/asciicase.h"
#include "engine/task.h"
#include "platform/shellinfo.h"
#include "scanner/formatsize.h"
#include "scanner/listtexts.h"
#include "scanner/taskmanager.h"
#include "storage/localedatetime.h"
#include "ui/pictures.h"
#include "ui/texts.h"

#include <QBrush>
#include <QFont>

#include <algorithm>
#include <numeric>

namespace moravel {

namespace {

template <typename T> int threeWay(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool isKnown(ActionKind action) {
    return isKnownAction(action);
}

} // namespace

DesktopContentsModel::DesktopContentsModel(const ShellInfo& shellInfo, QObject* parent)
    : QAbstractTableModel(parent), m_shellInfo(shellInfo) {
    std::array<int, 6> byName{};
    std::iota(byName.begin(), byName.end(), 0);
    std::sort(byName.begin(), byName.end(), [](int a, int b) {
        return compareIgnoringAsciiCase(actionName(a), actionName(b)) < 0;
    });
    for (std::size_t rank = 0; rank < byName.size(); ++rank) {
        m_actionOrder[static_cast<std::size_t>(byName[rank])] = static_cast<int>(rank);
    }
    for (std::size_t action = 0; action < m_actionImages.size(); ++action) {
        m_actionImages[action] = actionImage(static_cast<int>(action));
    }
}

void DesktopContentsModel::setPlan(const taskManager* plan) {
    beginResetModel();
    m_plan = plan;
    m_rows.resize(plan != nullptr ? plan->tasks.size() : 0);
    std::iota(m_rows.begin(), m_rows.end(), 0);
    endResetModel();
}

int DesktopContentsModel::planIndex(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<std::size_t>(row)]
                                                             : -1;
}

const task* DesktopContentsModel::taskAt(int row) const {
    const int index = planIndex(row);
    return index < 0 ? nullptr : m_plan->tasks[static_cast<std::size_t>(index)].get();
}

int DesktopContentsModel::rowOf(int planIndex) const {
    const auto found = std::find(m_rows.begin(), m_rows.end(), planIndex);
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
}

void DesktopContentsModel::itemChanged(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    Q_EMIT dataChanged(index(row, Action), index(row, Destination));
}

int DesktopContentsModel::compareItems(int column, const task& a, const task& b) const {
    switch (column) {
    case Name:
        return compareIgnoringAsciiCase(a.name, b.name);
    case Type:
        return compareIgnoringAsciiCase(a.typeName, b.typeName);
    case Size:
        return threeWay(a.size, b.size);
    case Modified:
        return threeWay(a.modified, b.modified);
    case Desktop:
        // The column shows only where an item lies; it sorts by the last access, which the
        // list shows nowhere else.
        return threeWay(a.accessed, b.accessed);
    case Action: {
        const int rankA = isKnown(a.action) ? m_actionOrder[a.action] : -1;
        const int rankB = isKnown(b.action) ? m_actionOrder[b.action] : -1;
        return threeWay(rankA, rankB);
    }
    case Destination:
        return compareIgnoringAsciiCase(a.destination, b.destination);
    default:
        return 0;
    }
}

void DesktopContentsModel::sortRows(int column, int direction) {
    if (m_plan == nullptr || column < 0 || column >= ColumnCount) {
        return;
    }
    const auto& tasks = m_plan->tasks;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> planIndexes;
    planIndexes.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& index : before) {
        planIndexes.push_back(planIndex(index.row()));
    }

    std::sort(m_rows.begin(), m_rows.end(), [&](int x, int y) {
        const int order = compareItems(column, *tasks[static_cast<std::size_t>(x)],
                                       *tasks[static_cast<std::size_t>(y)]) *
                          direction;
        return order != 0 ? order < 0 : x < y;
    });

    if (!before.isEmpty()) {
        std::vector<int> rowOfPlanIndex(m_rows.size());
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            rowOfPlanIndex[static_cast<std::size_t>(m_rows[row])] = static_cast<int>(row);
        }
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            const int oldPlanIndex = planIndexes[static_cast<std::size_t>(i)];
            after.append(oldPlanIndex < 0
                             ? QModelIndex()
                             : index(rowOfPlanIndex[static_cast<std::size_t>(oldPlanIndex)],
                                     before[i].column()));
        }
        changePersistentIndexList(before, after);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int DesktopContentsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DesktopContentsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString DesktopContentsModel::cellText(const task& item, int column) const {
    switch (column) {
    case Name:
        return item.name;
    case Type:
        return item.typeName;
    case Size:
        return item.isFolder ? listtexts::folderSize() : formatSize(item.size);
    case Modified:
        return dateTimeText(item.modified);
    case Desktop:
        return item.desktop == DesktopKind::Public ? listtexts::publicDesktop()
                                                   : listtexts::userDesktop();
    case Action:
        return actionName(item.action);
    case Destination:
        return item.destination;
    default:
        return {};
    }
}

QIcon DesktopContentsModel::typeIcon(const task& item) const {
    const int index = item.iconIndex;
    if (index < 0) {
        QIcon& generic = item.isFolder ? m_folderIcon : m_fileIcon;
        if (generic.isNull()) {
            generic = fileTypeIcon({}, item.isFolder);
        }
        return generic;
    }
    if (index >= m_typeIcons.size()) {
        m_typeIcons.resize(index + 1);
    }
    QIcon& icon = m_typeIcons[index];
    if (icon.isNull()) {
        icon = fileTypeIcon(m_shellInfo.iconName(index), item.isFolder);
    }
    return icon;
}

QVariant DesktopContentsModel::data(const QModelIndex& index, int role) const {
    const task* item = index.isValid() ? taskAt(index.row()) : nullptr;
    if (item == nullptr) {
        return {};
    }
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cellText(*item, column);
    case Qt::DecorationRole:
        if (column == Name) {
            return typeIcon(*item);
        }
        if (column == Action && isKnown(item->action)) {
            return m_actionImages[item->action];
        }
        return {};
    case Qt::FontRole:
        if (column == Action && item->action != actions::Leave && item->action != actions::Ask) {
            // Only the weight is set, so that the list's own font shows through.
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ForegroundRole:
        if (column == Action &&
            (item->action == actions::Recycle || item->action == actions::Delete)) {
            return QBrush(Qt::red);
        }
        return {};
    case PlanIndexRole:
        return planIndex(index.row());
    default:
        return {};
    }
}

QVariant DesktopContentsModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case Name:
        return listtexts::nameColumn();
    case Type:
        return listtexts::typeColumn();
    case Size:
        return listtexts::sizeColumn();
    case Modified:
        return listtexts::modifiedColumn();
    case Desktop:
        return listtexts::desktopColumn();
    case Action:
        return listtexts::actionColumn();
    case Destination:
        return listtexts::destinationColumn();
    default:
        return {};
    }
}

Qt::ItemFlags DesktopContentsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace moravel
