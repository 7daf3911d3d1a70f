#include "kit/sheetgrid.h"

namespace wage {

bool SheetGrid::ensureRows(int count)
{
    if (count < 0 || count > SheetLimits::maxRows)
        return false;
    while (m_rows->size() < count)
        m_rows->append(QStringList());
    return true;
}

bool SheetGrid::setCell(int row, int column, const QString &value)
{
    if (row < 1 || row > SheetLimits::maxRows || column < 1 || column > SheetLimits::maxColumns)
        return false;
    const qint64 grow = qMax<qint64>(0, column - (row <= m_rows->size() ? m_rows->at(row - 1).size() : 0));
    if (m_cells + grow > SheetLimits::maxCells || !ensureRows(row))
        return false;
    QStringList &cells = (*m_rows)[row - 1];
    while (cells.size() < column)
        cells.append(QString());
    cells[column - 1] = value;
    m_cells += grow;
    return true;
}

bool SheetGrid::appendRow(const QStringList &row)
{
    if (m_rows->size() >= SheetLimits::maxRows || row.size() > SheetLimits::maxColumns
        || m_cells + row.size() > SheetLimits::maxCells)
        return false;
    m_rows->append(row);
    m_cells += row.size();
    return true;
}

} // namespace wage
