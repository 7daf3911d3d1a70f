#pragma once
// A table as text: the rows a grid exports and an import reads, independent of any dataset.
#include <QList>
#include <QStringList>
#include <QVector>

namespace wage {

struct TextTable {
    QStringList headers;
    QList<QStringList> rows;
    // Per column: written as a number where the file format has numbers (spreadsheets).
    QVector<bool> numeric;

    bool isNumeric(int column) const { return column >= 0 && column < numeric.size() && numeric[column]; }
    QString cell(int row, int column) const
    {
        const QStringList &r = rows.at(row);
        return column < r.size() ? r.at(column) : QString();
    }
};

} // namespace wage
