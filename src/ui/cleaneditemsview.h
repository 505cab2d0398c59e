#pragma once

#include <QTreeView>

namespace moravel {

// The list of cleaned items `lvCleaned`: a flat list in report style, several rows selectable
// at once, whole rows selected, nothing editable. Header clicks go to the window, which owns
// the sort state.
class CleanedItemsView final : public QTreeView {
    Q_OBJECT

public:
    explicit CleanedItemsView(QWidget* parent = nullptr);

    // The column widths as shares of the list's client width: half for the name, three tenths
    // for the type, a tenth each for the action and the date (`resizeLogLv`).
    void resizeLogLv();
    // The rows selected, top to bottom as shown.
    QList<int> selectedRowsInOrder() const;

Q_SIGNALS:
    void columnClicked(int column);
    void clientWidthChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace moravel
