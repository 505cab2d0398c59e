#pragma once

#include <QTreeView>

namespace moravel {

// The desktop contents list `lvFiles`: a flat list in report style, several rows selectable at
// once, whole rows selected, nothing editable. Header clicks and requests for the popup menu
// (right click, the menu key, Shift+F10) go to the window, which owns the sort state and the
// menu.
class DesktopContentsView final : public QTreeView {
    Q_OBJECT

public:
    explicit DesktopContentsView(QWidget* parent = nullptr);

    // The column widths as shares of the list's client width (`resizeCols`).
    void resizeCols();
    // The rows selected, top to bottom as shown.
    QList<int> selectedRowsInOrder() const;

Q_SIGNALS:
    void columnClicked(int column);
    // The user asked for the popup menu at `globalPos`.
    void popupWanted(const QPoint& globalPos);
    void clientWidthChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Where a popup asked for from the keyboard opens: under the current row.
    QPoint keyboardPopupPosition() const;
};

} // namespace moravel
