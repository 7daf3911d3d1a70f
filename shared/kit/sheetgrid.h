#pragma once
// Rows of cells gathered from an imported file. Imported files are untrusted: row and column
// numbers and the number of cells, empty ones included, stay within what a spreadsheet can
// hold, so that a crafted number cannot make the reader allocate without end.
#include <QList>
#include <QString>
#include <QStringList>

namespace wage {

struct SheetLimits {
    static constexpr int maxRows = 1048576;        // a worksheet's last row
    static constexpr int maxColumns = 16384;       // column XFD
    static constexpr qint64 maxCells = 5000000;    // every row's cells, gaps included
    // Uncompressed size of a worksheet or shared-string part, and of a text or XML file.
    static constexpr qint64 maxBytes = 256LL * 1024 * 1024;
};

class SheetGrid {
public:
    explicit SheetGrid(QList<QStringList> *rows) : m_rows(rows) { m_rows->clear(); }

    // Row and column numbers count from 1. False (and nothing stored) when either lies beyond
    // the limits or the cells would exceed them.
    bool setCell(int row, int column, const QString &value);
    // Makes the sheet at least `count` rows long.
    bool ensureRows(int count);
    // Appends a whole row.
    bool appendRow(const QStringList &row);
    int rowCount() const { return static_cast<int>(m_rows->size()); }

private:
    QList<QStringList> *m_rows;
    qint64 m_cells = 0;
};

} // namespace wage
