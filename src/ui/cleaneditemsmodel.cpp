#include "ui/cleaneditemsmodel.h"

#include "engine/actionkind.h"
#include "engine/asciicase.h"
#include "platform/shellinfo.h"
#include "scanner/listtexts.h"
#include "storage/global.h"
#include "storage/localedatetime.h"
#include "ui/pictures.h"
#include "ui/texts.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <sys/stat.h>

namespace moravel {

CleanedItemsModel::CleanedItemsModel(ShellInfo& shellInfo, QObject* parent)
    : QAbstractTableModel(parent), m_shellInfo(shellInfo) {}

void CleanedItemsModel::setRecords(const global* state, const std::vector<int>& logIndexes) {
    beginResetModel();
    m_state = state;
    m_rows.clear();
    if (state != nullptr) {
        m_rows.resize(logIndexes.size());
        for (std::size_t i = 0; i < logIndexes.size(); ++i) {
            m_rows[i].logIndex = logIndexes[i];
        }
    }
    endResetModel();
}

void CleanedItemsModel::clear() {
    setRecords(m_state, {});
}

int CleanedItemsModel::logIndex(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].logIndex : -1;
}

const logLine* CleanedItemsModel::recordAt(int row) const {
    const int index = logIndex(row);
    if (index < 0 || index >= static_cast<int>(m_state->logLines.size())) {
        return nullptr;
    }
    return m_state->logLines[static_cast<std::size_t>(index)].get();
}

void CleanedItemsModel::typeRow(int rowIndex) const {
    Row& row = m_rows[static_cast<std::size_t>(rowIndex)];
    if (row.typed) {
        return;
    }
    row.typed = true;
    const logLine* record = recordAt(rowIndex);
    if (record == nullptr) {
        return;
    }
    // Only a full path is looked at: a relative one (a hand-edited log) would name whatever
    // lies where the program happens to run.
    bool isFolder = false;
    if (!record->destinationFolder.isEmpty() && QDir::isAbsolutePath(record->destinationFolder)) {
        const QByteArray path =
            QFile::encodeName(record->destinationFolder) + '/' + record->itemNameBytes();
        struct stat info {};
        if (::lstat(path.constData(), &info) == 0) {
            isFolder = S_ISDIR(info.st_mode);
        }
    }
    const TypeAndIcon type = m_shellInfo.typeAndIcon(record->itemName, isFolder);
    row.isFolder = isFolder;
    row.typeName = type.typeName;
    row.iconIndex = type.iconIndex;
}

QString CleanedItemsModel::cellText(int row, int column) const {
    const logLine* record = recordAt(row);
    if (record == nullptr) {
        return {};
    }
    switch (column) {
    case Name:
        return record->itemName;
    case Type:
        typeRow(row);
        return m_rows[static_cast<std::size_t>(row)].typeName;
    case Action:
        return actionName(record->performedAction);
    case CleaningDate:
        return shortDateText(record->cleanedAt);
    default:
        return {};
    }
}

int CleanedItemsModel::compareRows(int column, int rowA, int rowB) const {
    return compareIgnoringAsciiCase(cellText(rowA, column), cellText(rowB, column));
}

void CleanedItemsModel::sortRows(int column, int direction) {
    if (m_state == nullptr || column < 0 || column >= ColumnCount) {
        return;
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::size_t count = m_rows.size();
    // Each row's text once, with the letters a to z folded, all in one buffer: a comparison is
    // then a plain comparison of code units, which Qt makes a few at a time. Texts compare as
    // compareIgnoringAsciiCase compares them.
    std::vector<char16_t> folded;
    folded.reserve(count * 24);
    std::vector<std::pair<std::size_t, qsizetype>> spans(count); // start in `folded`, length
    QString cell;
    for (std::size_t i = 0; i < count; ++i) {
        // The name as the record holds it, not a copy: the names are what is sorted most.
        const logLine* record = recordAt(static_cast<int>(i));
        if (column != Name || record == nullptr) {
            cell = cellText(static_cast<int>(i), column);
        }
        const QStringView source =
            column == Name && record != nullptr ? QStringView(record->itemName) : cell;
        const std::size_t start = folded.size();
        spans[i] = {start, source.size()};
        folded.resize(start + static_cast<std::size_t>(source.size()));
        char16_t* out = folded.data() + start;
        for (const QChar c : source) {
            *out++ = static_cast<char16_t>(foldAscii(c.unicode()));
        }
    }
    const auto text = [&](std::size_t row) {
        const auto& [start, length] = spans[row];
        return QStringView(folded.data() + start, length);
    };
    // Names in a log often begin alike ("IMG_", "Scan "): past the part every text shares, the
    // next eight characters make two numbers that order most pairs without looking at the
    // texts. A text that ends early counts 0 there, so smaller numbers always mean the smaller
    // text; equal numbers leave the order to the texts.
    qsizetype shared = count > 0 ? text(0).size() : 0;
    for (std::size_t i = 1; i < count && shared > 0; ++i) {
        const QStringView first = text(0).first(shared);
        const QStringView other = text(i);
        const qsizetype common = std::min(first.size(), other.size());
        qsizetype same = 0;
        while (same < common && first[same] == other[same]) {
            ++same;
        }
        shared = same;
    }
    struct SortKey {
        std::uint64_t head[2]; // eight code units after the shared part, 16 bits each
        int row;
    };
    std::vector<SortKey> keys(count);
    for (std::size_t i = 0; i < count; ++i) {
        const QStringView rest = text(i).sliced(shared);
        SortKey& key = keys[i];
        for (qsizetype k = 0; k < 8; ++k) {
            std::uint64_t& word = key.head[k / 4];
            word = (word << 16) | (k < rest.size() ? rest[k].unicode() : 0U);
        }
        key.row = static_cast<int>(i);
    }
    // Equal texts keep their order: the earlier row wins the tie.
    std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        int difference = 0;
        if (a.head[0] != b.head[0]) {
            difference = a.head[0] < b.head[0] ? -1 : 1;
        } else if (a.head[1] != b.head[1]) {
            difference = a.head[1] < b.head[1] ? -1 : 1;
        } else {
            difference = text(static_cast<std::size_t>(a.row))
                             .compare(text(static_cast<std::size_t>(b.row)));
        }
        difference *= direction;
        return difference != 0 ? difference < 0 : a.row < b.row;
    });
    std::vector<int> order(count);
    for (std::size_t i = 0; i < count; ++i) {
        order[i] = keys[i].row;
    }

    std::vector<Row> sorted(count);
    std::vector<int> newRowOf(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto from = static_cast<std::size_t>(order[i]);
        sorted[i] = std::move(m_rows[from]);
        newRowOf[from] = static_cast<int>(i);
    }
    m_rows = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        after.append(old.isValid() && old.row() < static_cast<int>(count)
                         ? index(newRowOf[static_cast<std::size_t>(old.row())], old.column())
                         : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QIcon CleanedItemsModel::typeIcon(const Row& row) const {
    const int index = row.iconIndex;
    if (index < 0) {
        QIcon& generic = row.isFolder ? m_folderIcon : m_fileIcon;
        if (generic.isNull()) {
            generic = fileTypeIcon({}, row.isFolder);
        }
        return generic;
    }
    if (index >= m_typeIcons.size()) {
        m_typeIcons.resize(index + 1);
    }
    QIcon& icon = m_typeIcons[index];
    if (icon.isNull()) {
        icon = fileTypeIcon(m_shellInfo.iconName(index), row.isFolder);
    }
    return icon;
}

int CleanedItemsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CleanedItemsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CleanedItemsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || recordAt(index.row()) == nullptr) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return cellText(index.row(), index.column());
    case Qt::DecorationRole: {
        if (index.column() != Name) {
            return {};
        }
        typeRow(index.row());
        return typeIcon(m_rows[static_cast<std::size_t>(index.row())]);
    }
    case LogIndexRole:
        return logIndex(index.row());
    default:
        return {};
    }
}

QVariant CleanedItemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case Name:
        return listtexts::nameColumn();
    case Type:
        return listtexts::typeColumn();
    case Action:
        return listtexts::actionColumn();
    case CleaningDate:
        return listtexts::cleaningDateColumn();
    default:
        return {};
    }
}

Qt::ItemFlags CleanedItemsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace moravel
