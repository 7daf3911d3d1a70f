#pragma once
// Reading the files an import accepts, as rows of text: Office Open XML workbooks (.xlsx), the
// XML spreadsheets the grids export under .xls, and comma- or tab-separated text (GBK or UTF-8).
// The format is recognised from the content; the name only decides for plain text.
#include <QList>
#include <QString>
#include <QStringList>

namespace wage {

// False, with a Chinese reason, when the file is missing or not a spreadsheet it can read.
bool readSheetFile(const QString &path, QList<QStringList> *rows, QString *reason);
// Separated text (a delimiter of ',' or '\t'); quoted fields may hold delimiters, doubled quotes
// and line breaks. Beyond the bounds of a worksheet (rows, columns, cells) the result is empty
// and `withinLimits` false.
QList<QStringList> parseSeparatedText(const QString &text, QChar delimiter, bool *withinLimits = nullptr);
// XML spreadsheet 2003 (what the grids export as .xls).
bool readSpreadsheetMl(const QByteArray &xml, QList<QStringList> *rows, QString *reason);

} // namespace wage
