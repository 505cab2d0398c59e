#include "ui/cleaneditemsview.h"

#include <QHeaderView>

#include <algorithm>
#include <array>

namespace moravel {

namespace {
// Shares of the client width, in hundredths, of columns 0 to 3.
constexpr std::array<int, 4> columnShares{50, 30, 10, 10};
} // namespace

CleanedItemsView::CleanedItemsView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // the window sorts, by its own rules

    QHeaderView* columns = header();
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(true);
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    connect(columns, &QHeaderView::sectionClicked, this, &CleanedItemsView::columnClicked);
}

void CleanedItemsView::resizeLogLv() {
    const int width = viewport()->width();
    for (std::size_t column = 0; column < columnShares.size(); ++column) {
        header()->resizeSection(static_cast<int>(column), width * columnShares[column] / 100);
    }
}

QList<int> CleanedItemsView::selectedRowsInOrder() const {
    QList<int> rows;
    if (selectionModel() == nullptr) {
        return rows;
    }
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(selected.size());
    for (const QModelIndex& index : selected) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CleanedItemsView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    Q_EMIT clientWidthChanged();
}

} // namespace moravel
