#pragma once
// A column of the data grid and the drawing hooks its owner may set.
#include <QColor>
#include <QString>
#include <functional>

namespace wage {

struct GridColumn {
    QString fieldName;      // empty: a column without a field, drawn by a progress hook
    QString caption;        // "|" (or a line break) separates title levels
    int width = 80;         // pixels
    bool visible = true;
    bool readOnly = false;
    bool numeric = false;   // right-aligned; may carry a footer sum
    bool footerSum = false;
    bool noFocus = false;   // 无焦点: the cursor skips it
};

// Colours of one cell; an invalid colour keeps the grid's own.
struct CellStyle {
    QColor background;
    QColor foreground;
};
// (display row, grid column) -> style; return false to draw the cell as usual.
using CellStyleHook = std::function<bool(int row, int column, CellStyle *style)>;

// A progress bar drawn over a cell: value 0..100, bar colour, text centred over it.
struct ProgressCell {
    int percent = 0;
    QColor bar;
    QString text;
};
using ProgressHook = std::function<ProgressCell(int row)>;

// The bar colours of the order-progress columns: below 30 yellow, below 50 lime, below 70 money
// green, below 95 sky blue, otherwise red; text "%.0f%%" of the unlimited percentage.
ProgressCell progressCellFor(double fraction);

} // namespace wage
