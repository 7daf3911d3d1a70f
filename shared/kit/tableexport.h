#pragma once
// Exporters of a grid's rows: the five formats of the export menus.
//
//   xls  - SpreadsheetML 2003 (XML spreadsheet, UTF-8) under the .xls name: spreadsheet
//          programs open it as a workbook and the import reads it back; numbers stay numbers.
//   xlsx - Office Open XML workbook (one sheet, shared strings), when the name ends in .xlsx.
//   csv  - comma-separated, GBK like every text file the system shares with the Windows edition;
//          fields with a comma, quote or line break are quoted with doubled quotes.
//   htm  - an HTML page (UTF-8, declared) with one table, titles in <th>.
//   rtf  - an RTF document with one table; characters beyond ASCII as \uN? escapes.
//   txt  - tab-separated lines, GBK, CR LF.
// Every file has the titles as its first row.
#include "kit/texttable.h"

#include <QString>

namespace wage {

enum class ExportFormat { Xls = 1, Csv = 2, Htm = 3, Rtf = 4, Txt = 5, Xlsx = 6 };

QString exportExtension(ExportFormat format);
// The save-dialog filter of the export menus ("xls格式|*.xls|csv格式|*.csv|...").
QString exportFilterText();
// The format of the export filter's 1-based index (1 xls ... 5 txt); false outside 1 to 5.
bool exportFormatForFilterIndex(int index, ExportFormat *format);
// The format a file name's extension names (xls, xlsx, csv, htm/html, rtf, txt); false otherwise.
bool exportFormatOfFileName(const QString &fileName, ExportFormat *format);
// Appends "." + extension when the name's last three characters differ from it (ignoring case).
QString exportFileName(const QString &fileName, ExportFormat format);

// Writes the table; false when the file cannot be written.
bool exportTable(const TextTable &table, const QString &path, ExportFormat format);

QByteArray spreadsheetMlBytes(const TextTable &table);
QByteArray csvBytes(const TextTable &table);
QByteArray htmlBytes(const TextTable &table);
QByteArray rtfBytes(const TextTable &table);
QByteArray txtBytes(const TextTable &table);

} // namespace wage
