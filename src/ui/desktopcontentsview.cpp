#include "ui/desktopcontentsview.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>
#include <array>

namespace moravel {

namespace {
// Shares of the client width, in seventieths, of columns 0 to 6; together 69/70.
constexpr std::array<int, 7> columnShares{15, 10, 4, 8, 5, 10, 17};
} // namespace

DesktopContentsView::DesktopContentsView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // the window sorts, by its own rules
    setContextMenuPolicy(Qt::DefaultContextMenu);

    QHeaderView* columns = header();
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(true);
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    connect(columns, &QHeaderView::sectionClicked, this, &DesktopContentsView::columnClicked);
}

void DesktopContentsView::resizeCols() {
    const int width = viewport()->width();
    for (std::size_t column = 0; column < columnShares.size(); ++column) {
        header()->resizeSection(static_cast<int>(column), width * columnShares[column] / 70);
    }
}

QList<int> DesktopContentsView::selectedRowsInOrder() const {
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

void DesktopContentsView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    Q_EMIT popupWanted(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                   : keyboardPopupPosition());
}

void DesktopContentsView::keyPressEvent(QKeyEvent* event) {
    // Shift+F10 opens the popup as the menu key does, the way Windows and GTK lists do.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        event->accept();
        Q_EMIT popupWanted(keyboardPopupPosition());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void DesktopContentsView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    Q_EMIT clientWidthChanged();
}

QPoint DesktopContentsView::keyboardPopupPosition() const {
    const QRect row = visualRect(currentIndex());
    const QPoint local = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
    return viewport()->mapToGlobal(local);
}

} // namespace moravel
