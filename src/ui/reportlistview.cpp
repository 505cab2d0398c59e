#include "ui/reportlistview.h"

#include <QHeaderView>

#include <algorithm>

namespace moravel {

ReportListView::ReportListView(QWidget* parent) : QTreeView(parent) {
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
    connect(columns, &QHeaderView::sectionClicked, this, &ReportListView::columnClicked);
}

void ReportListView::setColumnShares(std::span<const int> shares, int whole) {
    const int width = viewport()->width();
    for (std::size_t column = 0; column < shares.size(); ++column) {
        header()->resizeSection(static_cast<int>(column), width * shares[column] / whole);
    }
}

QList<int> ReportListView::selectedRowsInOrder() const {
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

void ReportListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    Q_EMIT clientWidthChanged();
}

} // namespace moravel
