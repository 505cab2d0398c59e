#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>

#include <array>
#include <vector>

namespace moravel {

class ShellInfo;
class task;
class taskManager;

// The rows of the desktop contents list over the current plan: one row per item, each row
// holding the item's plan index. The plan stays the window's; the model only reads it, and is
// told when the user changed an item.
class DesktopContentsModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Name, Type, Size, Modified, Desktop, Action, Destination, ColumnCount };
    // The plan index of a row's item, in every cell of the row.
    static constexpr int PlanIndexRole = Qt::UserRole;

    explicit DesktopContentsModel(const ShellInfo& shellInfo, QObject* parent = nullptr);

    // Rebuilds the rows from `plan` in plan order; null empties the list. The plan must outlive
    // its use here (or be replaced first).
    void setPlan(const taskManager* plan);
    const taskManager* plan() const { return m_plan; }

    int planIndex(int row) const;
    const task* taskAt(int row) const;
    // The row showing the item with that plan index, or -1.
    int rowOf(int planIndex) const;
    // The item of `row` was changed: its Action and Destination cells are shown anew.
    void itemChanged(int row);

    // Orders the rows by `column`'s key, ascending for direction +1 and descending for -1;
    // rows with equal keys keep plan order.
    void sortRows(int column, int direction);
    // The order of two items by a column's key, before the direction: negative, 0, positive.
    int compareItems(int column, const task& a, const task& b) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString cellText(const task& item, int column) const;
    QIcon typeIcon(const task& item) const;

    const ShellInfo& m_shellInfo;
    const taskManager* m_plan = nullptr;
    std::vector<int> m_rows; // row -> plan index
    std::array<QIcon, 6> m_actionImages;
    std::array<int, 6> m_actionOrder{}; // rank of each action's name in a-to-z order
    // Type icons by the plan's icon index, looked up in the theme once each.
    mutable QList<QIcon> m_typeIcons;
    mutable QIcon m_folderIcon;
    mutable QIcon m_fileIcon;
};

} // namespace moravel
