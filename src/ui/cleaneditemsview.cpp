#include "ui/cleaneditemsview.h"

#include <array>

namespace moravel {

namespace {
// Shares of the client width, in hundredths, of columns 0 to 3.
constexpr std::array<int, 4> columnShares{50, 30, 10, 10};
} // namespace

CleanedItemsView::CleanedItemsView(QWidget* parent) : ReportListView(parent) {}

void CleanedItemsView::resizeLogLv() {
    setColumnShares(columnShares, 100);
}

} // namespace moravel
