#include "kit/tableexport.h"

#include "core/textcodec.h"
#include "kit/xlsxfile.h"

#include <QFile>
#include <QSaveFile>

namespace wage {
namespace {

QString xmlEscape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\r': break;
        case '\n': out += QLatin1String("&#10;"); break;
        default:
            // Control characters are not allowed in XML 1.0.
            if (c.unicode() >= 0x20 || c == QLatin1Char('\t'))
                out += c;
        }
    }
    return out;
}

bool looksNumeric(const QString &text)
{
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok && !text.trimmed().isEmpty();
}

QString csvField(const QString &text)
{
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\r'))) {
        QString quoted = text;
        quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    return text;
}

QString rtfText(const QString &text)
{
    QString out;
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += QLatin1Char('\\');
            out += c;
        } else if (u == '\n') {
            out += QLatin1String("\\line ");
        } else if (u == '\r') {
        } else if (u < 0x80) {
            out += c;
        } else {
            out += QStringLiteral("\\u%1?").arg(static_cast<short>(u));
        }
    }
    return out;
}

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

} // namespace

QString exportExtension(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Xls: return QStringLiteral("xls");
    case ExportFormat::Csv: return QStringLiteral("csv");
    case ExportFormat::Htm: return QStringLiteral("htm");
    case ExportFormat::Rtf: return QStringLiteral("rtf");
    case ExportFormat::Txt: return QStringLiteral("txt");
    case ExportFormat::Xlsx: return QStringLiteral("xlsx");
    }
    return {};
}

QString exportFilterText()
{
    return QStringLiteral("xls格式|*.xls|csv格式|*.csv|htm格式|*.htm|rtf格式|*.rtf|txt格式|*.txt");
}

bool exportFormatForFilterIndex(int index, ExportFormat *format)
{
    if (index < 1 || index > 5)
        return false;
    *format = static_cast<ExportFormat>(index);
    return true;
}

bool exportFormatOfFileName(const QString &fileName, ExportFormat *format)
{
    const QString ext = fileName.section(QLatin1Char('.'), -1).toLower();
    if (!fileName.contains(QLatin1Char('.')))
        return false;
    static const QList<QPair<QString, ExportFormat>> map{
        {QStringLiteral("xls"), ExportFormat::Xls},  {QStringLiteral("xlsx"), ExportFormat::Xlsx},
        {QStringLiteral("csv"), ExportFormat::Csv},  {QStringLiteral("htm"), ExportFormat::Htm},
        {QStringLiteral("html"), ExportFormat::Htm}, {QStringLiteral("rtf"), ExportFormat::Rtf},
        {QStringLiteral("txt"), ExportFormat::Txt}};
    for (const auto &m : map)
        if (m.first == ext) {
            *format = m.second;
            return true;
        }
    return false;
}

QString exportFileName(const QString &fileName, ExportFormat format)
{
    const QString ext = exportExtension(format);
    const bool same = ext.size() == 3 ? fileName.right(3).compare(ext, Qt::CaseInsensitive) == 0
                                      : fileName.endsWith(QLatin1Char('.') + ext, Qt::CaseInsensitive);
    return same ? fileName : fileName + QLatin1Char('.') + ext;
}

QByteArray spreadsheetMlBytes(const TextTable &table)
{
    QString x;
    x += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<?mso-application progid=\"Excel.Sheet\"?>\n"
                       "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
                       " xmlns:o=\"urn:schemas-microsoft-com:office:office\"\n"
                       " xmlns:x=\"urn:schemas-microsoft-com:office:excel\"\n"
                       " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
                       " <Styles><Style ss:ID=\"h\"><Font ss:Bold=\"1\"/></Style></Styles>\n"
                       " <Worksheet ss:Name=\"Sheet1\">\n  <Table>\n");
    x += QLatin1String("   <Row>");
    for (const QString &h : table.headers)
        x += QLatin1String("<Cell ss:StyleID=\"h\"><Data ss:Type=\"String\">") + xmlEscape(h)
            + QLatin1String("</Data></Cell>");
    x += QLatin1String("</Row>\n");
    for (int r = 0; r < table.rows.size(); ++r) {
        x += QLatin1String("   <Row>");
        for (int c = 0; c < table.headers.size(); ++c) {
            const QString v = table.cell(r, c);
            if (v.isEmpty()) {
                x += QLatin1String("<Cell/>");
            } else if (table.isNumeric(c) && looksNumeric(v)) {
                x += QLatin1String("<Cell><Data ss:Type=\"Number\">") + v.trimmed() + QLatin1String("</Data></Cell>");
            } else {
                x += QLatin1String("<Cell><Data ss:Type=\"String\">") + xmlEscape(v) + QLatin1String("</Data></Cell>");
            }
        }
        x += QLatin1String("</Row>\n");
    }
    x += QLatin1String("  </Table>\n </Worksheet>\n</Workbook>\n");
    return x.toUtf8();
}

QByteArray csvBytes(const TextTable &table)
{
    QString out;
    QStringList cells;
    for (const QString &h : table.headers)
        cells << csvField(h);
    out += cells.join(QLatin1Char(',')) + QLatin1String("\r\n");
    for (int r = 0; r < table.rows.size(); ++r) {
        cells.clear();
        for (int c = 0; c < table.headers.size(); ++c)
            cells << csvField(table.cell(r, c));
        out += cells.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    return toGbk(out);
}

QByteArray htmlBytes(const TextTable &table)
{
    QString h;
    h += QLatin1String("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
                       "<style>table{border-collapse:collapse}th,td{border:1px solid #808080;padding:2px 4px}"
                       "th{background:#A6CAF0}td.n{text-align:right}</style>\n</head>\n<body>\n<table>\n<tr>");
    for (const QString &t : table.headers)
        h += QLatin1String("<th>") + xmlEscape(t).replace(QLatin1String("&#10;"), QLatin1String("<br>"))
            + QLatin1String("</th>");
    h += QLatin1String("</tr>\n");
    for (int r = 0; r < table.rows.size(); ++r) {
        h += QLatin1String("<tr>");
        for (int c = 0; c < table.headers.size(); ++c) {
            h += table.isNumeric(c) ? QLatin1String("<td class=\"n\">") : QLatin1String("<td>");
            h += xmlEscape(table.cell(r, c)).replace(QLatin1String("&#10;"), QLatin1String("<br>"));
            h += QLatin1String("</td>");
        }
        h += QLatin1String("</tr>\n");
    }
    h += QLatin1String("</table>\n</body>\n</html>\n");
    return h.toUtf8();
}

QByteArray rtfBytes(const TextTable &table)
{
    const int cols = table.headers.size();
    const int cellWidth = 1800;   // twips
    QString row;
    row += QLatin1String("\\trowd\\trgaph60");
    for (int c = 0; c < cols; ++c)
        row += QStringLiteral("\\clbrdrt\\brdrs\\clbrdrl\\brdrs\\clbrdrb\\brdrs\\clbrdrr\\brdrs\\cellx%1")
                   .arg((c + 1) * cellWidth);
    const QString rowDef = row;

    QString out;
    out += QLatin1String("{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\n"
                         "\\f0\\fs20\n");
    auto writeRow = [&](const QStringList &cells, bool bold) {
        out += rowDef + QLatin1Char('\n');
        for (int c = 0; c < cols; ++c) {
            out += QLatin1String("\\pard\\intbl");
            out += bold ? QLatin1String("\\b ") : QLatin1String(" ");
            out += rtfText(c < cells.size() ? cells.at(c) : QString());
            out += bold ? QLatin1String("\\b0\\cell\n") : QLatin1String("\\cell\n");
        }
        out += QLatin1String("\\row\n");
    };
    writeRow(table.headers, true);
    for (const QStringList &r : table.rows)
        writeRow(r, false);
    out += QLatin1String("\\pard\n}\n");
    return out.toLatin1();
}

QByteArray txtBytes(const TextTable &table)
{
    QString out;
    QStringList cells;
    for (const QString &h : table.headers)
        cells << oneLine(h);
    out += cells.join(QLatin1Char('\t')) + QLatin1String("\r\n");
    for (int r = 0; r < table.rows.size(); ++r) {
        cells.clear();
        for (int c = 0; c < table.headers.size(); ++c)
            cells << oneLine(table.cell(r, c));
        out += cells.join(QLatin1Char('\t')) + QLatin1String("\r\n");
    }
    return toGbk(out);
}

bool exportTable(const TextTable &table, const QString &path, ExportFormat format)
{
    if (format == ExportFormat::Xlsx)
        return writeXlsx(table, path);
    QByteArray bytes;
    switch (format) {
    case ExportFormat::Xls: bytes = spreadsheetMlBytes(table); break;
    case ExportFormat::Csv: bytes = csvBytes(table); break;
    case ExportFormat::Htm: bytes = htmlBytes(table); break;
    case ExportFormat::Rtf: bytes = rtfBytes(table); break;
    case ExportFormat::Txt: bytes = txtBytes(table); break;
    case ExportFormat::Xlsx: break;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(bytes);
    return f.commit();
}

} // namespace wage
