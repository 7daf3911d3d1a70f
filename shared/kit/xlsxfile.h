#pragma once
// Office Open XML workbooks through libzip: the first sheet written or read as a text table.
#include "kit/texttable.h"

#include <QString>

namespace wage {

bool writeXlsx(const TextTable &table, const QString &path);

// The first worksheet's cells as rows of text (row 1 first); empty rows inside the used range
// are kept as empty lists. False, with a Chinese reason, when the file is not a workbook.
bool readXlsx(const QString &path, QList<QStringList> *rows, QString *reason);

} // namespace wage
