#include "ui/desktopcontentsview.h"

#include <QContextMenuEvent>
#include <QKeyEvent>

#include <array>

namespace moravel {

namespace {
// Shares of the client width, in seventieths, of columns 0 to 6; together 69/70.
constexpr std::array<int, 7> columnShares{15, 10, 4, 8, 5, 10, 17};
} // namespace

DesktopContentsView::DesktopContentsView(QWidget* parent) : ReportListView(parent) {
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void DesktopContentsView::resizeCols() {
    setColumnShares(columnShares, 70);
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

QPoint DesktopContentsView::keyboardPopupPosition() const {
    const QRect row = visualRect(currentIndex());
    const QPoint local = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
    return viewport()->mapToGlobal(local);
}

} // namespace moravel
