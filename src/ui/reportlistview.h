#pragma once

#include <QList>
#include <QTreeView>

#include <span>

namespace moravel {

// A flat list in report style, as the window's lists are: several rows selectable at once,
// whole rows selected, nothing editable, no sorting of its own. Header clicks go to the
// window, which owns the sort state.
class ReportListView : public QTreeView {
    Q_OBJECT

public:
    explicit ReportListView(QWidget* parent = nullptr);

    // The rows selected, top to bottom as shown.
    QList<int> selectedRowsInOrder() const;

Q_SIGNALS:
    void columnClicked(int column);
    void clientWidthChanged();

protected:
    // Sets the column widths to shares of the client width: `shares[i]` / `whole` for column i.
    void setColumnShares(std::span<const int> shares, int whole);
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace moravel
