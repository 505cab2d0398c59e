#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QString>

#include <vector>

namespace moravel {

class ShellInfo;
class global;
class logLine;

// The rows of the list of cleaned items over the log in memory: one row per record of the
// browser's selection, each row holding the record's index in `logLines`. The log stays the
// window's; the model only reads it. An item's type and icon are looked up when its row is
// first shown (or sorted by type), so that listing every record of a long log costs no look-up
// for the rows nobody scrolls to.
class CleanedItemsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Name, Type, Action, CleaningDate, ColumnCount };
    // The record's index in `logLines`, in every cell of the row.
    static constexpr int LogIndexRole = Qt::UserRole;

    explicit CleanedItemsModel(ShellInfo& shellInfo, QObject* parent = nullptr);

    // Shows the records of `state` at `logIndexes`, in that order; `state` must outlive its use
    // here (or be replaced first).
    void setRecords(const global* state, const std::vector<int>& logIndexes);
    void clear();

    int logIndex(int row) const;
    const logLine* recordAt(int row) const;
    // The text of a cell, as the list shows it.
    QString cellText(int row, int column) const;

    // Orders the rows by the text of `column` (letters a to z without regard to case, other
    // characters by code), ascending for direction +1 and descending for -1; rows with equal
    // texts keep their order. The date is compared as the text it shows.
    void sortRows(int column, int direction);
    // The order of two rows by a column's text, before the direction: negative, 0, positive.
    int compareRows(int column, int rowA, int rowB) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        int logIndex = -1;
        // Looked up on first use.
        bool typed = false;
        bool isFolder = false;
        int iconIndex = -1;
        QString typeName;
    };

    // Finds the row's type: by the item where it was cleaned to, or by its name when it is gone
    // (or was trashed or deleted).
    void typeRow(int row) const;
    QIcon typeIcon(const Row& row) const;

    ShellInfo& m_shellInfo;
    const global* m_state = nullptr;
    mutable std::vector<Row> m_rows;
    mutable QList<QIcon> m_typeIcons;
    mutable QIcon m_folderIcon;
    mutable QIcon m_fileIcon;
};

} // namespace moravel
