#include "kit/sheetreader.h"

#include "core/textcodec.h"
#include "kit/sheetgrid.h"
#include "kit/xlsxfile.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace wage {

QList<QStringList> parseSeparatedText(const QString &text, QChar delimiter, bool *withinLimits)
{
    QList<QStringList> rows;
    qint64 cells = 0;
    if (withinLimits)
        *withinLimits = true;
    // Past the bounds of a worksheet the rows are dropped and the text is reported as too large.
    auto tooLarge = [&] {
        if (withinLimits)
            *withinLimits = false;
        rows.clear();
        return rows;
    };
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == delimiter) {
            row << field;
            field.clear();
            fieldStarted = false;
            if (row.size() > SheetLimits::maxColumns || ++cells > SheetLimits::maxCells)
                return tooLarge();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            row << field;
            rows << row;
            row.clear();
            field.clear();
            fieldStarted = false;
            if (rows.size() > SheetLimits::maxRows || ++cells > SheetLimits::maxCells)
                return tooLarge();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.isEmpty() || !row.isEmpty()) {
        row << field;
        rows << row;
    }
    return rows;
}

bool readSpreadsheetMl(const QByteArray &xml, QList<QStringList> *rows, QString *reason)
{
    SheetGrid grid(rows);
    QXmlStreamReader r(xml);
    bool inFirstSheet = false;
    bool sheetDone = false;
    bool sawWorkbook = false;
    bool inRange = true;
    int rowNo = 0;   // counted from 1, like ss:Index
    int col = 0;     // the next cell's column, counted from 1
    // Indexes are read as numbers; one that is missing, not a number or out of range fails.
    auto index = [&](int *target) {
        const QString idx = r.attributes().value(QLatin1String("ss:Index")).toString();
        if (idx.isEmpty())
            return true;
        bool ok = false;
        const int n = idx.toInt(&ok);
        if (!ok || n < 1)
            return false;
        *target = n;
        return true;
    };
    while (inRange && !r.atEnd() && !sheetDone) {
        r.readNext();
        if (r.isStartElement()) {
            const auto name = r.name();
            if (name == QLatin1String("Workbook")) {
                sawWorkbook = true;
            } else if (name == QLatin1String("Worksheet")) {
                inFirstSheet = true;
            } else if (inFirstSheet && name == QLatin1String("Row")) {
                ++rowNo;
                inRange = index(&rowNo) && grid.ensureRows(rowNo);
                col = 1;
            } else if (inFirstSheet && name == QLatin1String("Cell") && rowNo > 0) {
                inRange = index(&col) && col <= SheetLimits::maxColumns;
            } else if (inFirstSheet && name == QLatin1String("Data") && rowNo > 0) {
                const QString v = r.readElementText(QXmlStreamReader::IncludeChildElements);
                inRange = grid.setCell(rowNo, qMax(col, 1), v);
            }
        } else if (r.isEndElement()) {
            const auto name = r.name();
            if (inFirstSheet && name == QLatin1String("Cell")) {
                ++col;
            } else if (name == QLatin1String("Worksheet")) {
                sheetDone = true;
            }
        }
    }
    if (!inRange) {
        rows->clear();
        *reason = QStringLiteral("文件不是有效的Excel表格：行号、列号或单元格数超出了工作表的范围。");
        return false;
    }
    if (!sawWorkbook || (r.hasError() && !sheetDone)) {
        rows->clear();
        *reason = QStringLiteral("文件不是有效的Excel表格。");
        return false;
    }
    return true;
}

bool readSheetFile(const QString &path, QList<QStringList> *rows, QString *reason)
{
    rows->clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("无法打开文件：") + path;
        return false;
    }
    if (f.size() > SheetLimits::maxBytes) {
        *reason = QStringLiteral("文件不是有效的表格文件：文件超过%1MB。").arg(SheetLimits::maxBytes / (1024 * 1024));
        return false;
    }
    const QByteArray head = f.peek(512);
    if (head.startsWith("PK\x03\x04")) {
        f.close();
        return readXlsx(path, rows, reason);
    }
    if (head.startsWith("\xD0\xCF\x11\xE0")) {
        *reason = QStringLiteral("不支持旧版二进制Excel文件，请在Excel中另存为xlsx或csv格式后再导入。");
        return false;
    }
    const QByteArray bytes = f.readAll();
    const QString start = decodeLocalText(bytes.left(512)).trimmed();
    if (start.startsWith(QLatin1String("<?xml")) || start.startsWith(QLatin1String("<Workbook")))
        return readSpreadsheetMl(bytes, rows, reason);

    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("txt")) {
        *reason = QStringLiteral("文件不是有效的表格文件，请选择xlsx、xls(由本系统导出)或csv文件。");
        return false;
    }
    if (bytes.contains('\0')) {
        *reason = QStringLiteral("文件不是有效的文本表格(csv)。");
        return false;
    }
    const QString text = decodeLocalText(bytes);
    const QString firstLine = text.section(QLatin1Char('\n'), 0, 0);
    const QChar delimiter = firstLine.count(QLatin1Char('\t')) > firstLine.count(QLatin1Char(','))
        ? QLatin1Char('\t') : QLatin1Char(',');
    bool withinLimits = true;
    *rows = parseSeparatedText(text, delimiter, &withinLimits);
    if (!withinLimits) {
        *reason = QStringLiteral("文件不是有效的文本表格(csv)：行数、列数或单元格数超出了工作表的范围。");
        return false;
    }
    return true;
}

} // namespace wage
