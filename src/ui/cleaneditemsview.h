#pragma once

#include "ui/reportlistview.h"

namespace moravel {

// The list of cleaned items `lvCleaned`.
class CleanedItemsView final : public ReportListView {
    Q_OBJECT

public:
    explicit CleanedItemsView(QWidget* parent = nullptr);

    // The column widths as shares of the list's client width: half for the name, three tenths
    // for the type, a tenth each for the action and the date (`resizeLogLv`).
    void resizeLogLv();
};

} // namespace moravel
