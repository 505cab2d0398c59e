#pragma once

#include "ui/reportlistview.h"

namespace moravel {

// The desktop contents list `lvFiles`. Requests for the popup menu (right click, the menu key,
// Shift+F10) go to the window, which owns the menu.
class DesktopContentsView final : public ReportListView {
    Q_OBJECT

public:
    explicit DesktopContentsView(QWidget* parent = nullptr);

    // The column widths as shares of the list's client width (`resizeCols`).
    void resizeCols();

Q_SIGNALS:
    // The user asked for the popup menu at `globalPos`.
    void popupWanted(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Where a popup asked for from the keyboard opens: under the current row.
    QPoint keyboardPopupPosition() const;
};

} // namespace moravel
