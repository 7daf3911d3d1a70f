#include "kit/xlsxfile.h"

#include "kit/sheetgrid.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <zip.h>

namespace wage {
namespace {

QString xmlText(const QString &text)
{
    QString out;
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        default:
            if (c.unicode() >= 0x20 || c == QLatin1Char('\t') || c == QLatin1Char('\n'))
                out += c;
        }
    }
    return out;
}

QString columnLetters(int column)
{
    QString s;
    int n = column + 1;
    while (n > 0) {
        const int rem = (n - 1) % 26;
        s.prepend(QChar('A' + rem));
        n = (n - 1) / 26;
    }
    return s;
}

// "BC12" -> column 55 (counted from 1); 0 when the reference carries no letters, -1 when its
// letters lie beyond the last column.
int columnOfRef(const QString &ref)
{
    int col = 0;
    for (QChar c : ref) {
        const ushort u = c.toUpper().unicode();
        if (u < 'A' || u > 'Z')
            break;
        col = col * 26 + (u - 'A' + 1);
        if (col > SheetLimits::maxColumns)
            return -1;
    }
    return col;
}

bool addEntry(zip_t *z, const char *name, const QByteArray &bytes)
{
    // libzip reads the buffer when the archive is closed: give it a copy it owns.
    void *copy = malloc(static_cast<size_t>(bytes.size()) + 1);
    if (!copy)
        return false;
    memcpy(copy, bytes.constData(), static_cast<size_t>(bytes.size()));
    zip_source_t *src = zip_source_buffer(z, copy, static_cast<zip_uint64_t>(bytes.size()), 1);
    if (!src) {
        free(copy);
        return false;
    }
    if (zip_file_add(z, name, src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(src);
        return false;
    }
    return true;
}

enum class EntryRead { Ok, Missing, TooLarge };

// An entry's bytes, refused when its unpacked size passes the limit (a small archive may
// claim gigabytes).
EntryRead readEntry(zip_t *z, const char *name, QByteArray *out)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(z, name, ZIP_FL_NOCASE, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return EntryRead::Missing;
    if (st.size > static_cast<zip_uint64_t>(SheetLimits::maxBytes))
        return EntryRead::TooLarge;
    zip_file_t *f = zip_fopen(z, name, ZIP_FL_NOCASE);
    if (!f)
        return EntryRead::Missing;
    out->resize(static_cast<qsizetype>(st.size));
    const zip_int64_t got = zip_fread(f, out->data(), st.size);
    zip_fclose(f);
    if (got != static_cast<zip_int64_t>(st.size)) {
        out->clear();
        return EntryRead::Missing;
    }
    return EntryRead::Ok;
}

QStringList sharedStrings(const QByteArray &xml)
{
    QStringList list;
    QXmlStreamReader r(xml);
    QString current;
    bool inSi = false;
    bool inPhonetic = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == QLatin1String("si")) {
                inSi = true;
                current.clear();
            } else if (r.name() == QLatin1String("rPh")) {
                inPhonetic = true;
            } else if (r.name() == QLatin1String("t") && inSi && !inPhonetic) {
                current += r.readElementText();
            }
        } else if (r.isEndElement()) {
            if (r.name() == QLatin1String("si")) {
                list << current;
                inSi = false;
            } else if (r.name() == QLatin1String("rPh")) {
                inPhonetic = false;
            }
        }
    }
    return list;
}

// The path of the first sheet named in the workbook, through its relationships.
QString firstSheetPath(zip_t *z)
{
    QByteArray wb, rels;
    if (readEntry(z, "xl/workbook.xml", &wb) != EntryRead::Ok
        || readEntry(z, "xl/_rels/workbook.xml.rels", &rels) != EntryRead::Ok)
        return {};
    QString rid;
    QXmlStreamReader r(wb);
    while (!r.atEnd() && rid.isEmpty()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("sheet")) {
            for (const QXmlStreamAttribute &a : r.attributes())
                if (a.name() == QLatin1String("id"))
                    rid = a.value().toString();
        }
    }
    if (rid.isEmpty())
        return {};
    QXmlStreamReader rr(rels);
    while (!rr.atEnd()) {
        rr.readNext();
        if (rr.isStartElement() && rr.name() == QLatin1String("Relationship")
            && rr.attributes().value(QLatin1String("Id")) == rid) {
            QString target = rr.attributes().value(QLatin1String("Target")).toString();
            if (target.startsWith(QLatin1Char('/')))
                return target.mid(1);
            return QStringLiteral("xl/") + target;
        }
    }
    return {};
}

} // namespace

bool writeXlsx(const TextTable &table, const QString &path)
{
    QStringList strings;
    QHash<QString, int> stringIndex;
    auto sst = [&](const QString &s) {
        auto it = stringIndex.constFind(s);
        if (it != stringIndex.constEnd())
            return *it;
        const int i = strings.size();
        strings << s;
        stringIndex.insert(s, i);
        return i;
    };

    QString sheet;
    sheet += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>");
    auto writeRow = [&](int rowNo, const QStringList &cells, bool header) {
        sheet += QStringLiteral("<row r=\"%1\">").arg(rowNo);
        for (int c = 0; c < table.headers.size(); ++c) {
            const QString v = c < cells.size() ? cells.at(c) : QString();
            if (v.isEmpty())
                continue;
            const QString ref = columnLetters(c) + QString::number(rowNo);
            bool ok = false;
            v.trimmed().toDouble(&ok);
            if (!header && table.isNumeric(c) && ok)
                sheet += QStringLiteral("<c r=\"%1\"><v>%2</v></c>").arg(ref, v.trimmed());
            else
                sheet += QStringLiteral("<c r=\"%1\" t=\"s\"><v>%2</v></c>").arg(ref).arg(sst(v));
        }
        sheet += QLatin1String("</row>");
    };
    writeRow(1, table.headers, true);
    for (int r = 0; r < table.rows.size(); ++r)
        writeRow(r + 2, table.rows.at(r), false);
    sheet += QLatin1String("</sheetData></worksheet>");

    QString sstXml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                    "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                                    "count=\"%1\" uniqueCount=\"%1\">").arg(strings.size());
    for (const QString &s : strings)
        sstXml += QLatin1String("<si><t xml:space=\"preserve\">") + xmlText(s) + QLatin1String("</t></si>");
    sstXml += QLatin1String("</sst>");

    const QByteArray contentTypes =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
        "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
        "</Types>";
    const QByteArray rootRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
        "</Relationships>";
    const QByteArray workbook =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    const QByteArray workbookRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
        "</Relationships>";

    QFile::remove(path);
    int err = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z)
        return false;
    const bool ok = addEntry(z, "[Content_Types].xml", contentTypes) && addEntry(z, "_rels/.rels", rootRels)
        && addEntry(z, "xl/workbook.xml", workbook) && addEntry(z, "xl/_rels/workbook.xml.rels", workbookRels)
        && addEntry(z, "xl/worksheets/sheet1.xml", sheet.toUtf8())
        && addEntry(z, "xl/sharedStrings.xml", sstXml.toUtf8());
    if (!ok) {
        zip_discard(z);
        return false;
    }
    return zip_close(z) == 0;
}

bool readXlsx(const QString &path, QList<QStringList> *rows, QString *reason)
{
    rows->clear();
    int err = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
    if (!z) {
        *reason = QStringLiteral("文件不是有效的Excel表格(xlsx)。");
        return false;
    }
    const QString sheetPath = firstSheetPath(z);
    QByteArray sheetXml;
    EntryRead sheet = sheetPath.isEmpty() ? EntryRead::Missing
                                          : readEntry(z, sheetPath.toUtf8().constData(), &sheetXml);
    if (sheet == EntryRead::Missing)
        sheet = readEntry(z, "xl/worksheets/sheet1.xml", &sheetXml);
    QByteArray sstXml;
    const EntryRead sst = sheet == EntryRead::Ok ? readEntry(z, "xl/sharedStrings.xml", &sstXml) : EntryRead::Missing;
    zip_close(z);
    if (sheet == EntryRead::Missing) {
        *reason = QStringLiteral("文件不是有效的Excel表格(xlsx)，找不到工作表。");
        return false;
    }
    if (sheet == EntryRead::TooLarge || sst == EntryRead::TooLarge) {
        *reason = QStringLiteral("文件不是有效的Excel表格(xlsx)：工作表解压后超过%1MB。")
                      .arg(SheetLimits::maxBytes / (1024 * 1024));
        return false;
    }
    const QStringList strings = sst == EntryRead::Ok ? sharedStrings(sstXml) : QStringList();
    sstXml.clear();

    SheetGrid grid(rows);
    QXmlStreamReader r(sheetXml);
    int rowNo = 0;
    bool inRange = true;
    while (inRange && !r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        if (r.name() == QLatin1String("row")) {
            const QString rAttr = r.attributes().value(QLatin1String("r")).toString();
            bool ok = true;
            rowNo = rAttr.isEmpty() ? rowNo + 1 : rAttr.toInt(&ok);
            inRange = ok && grid.ensureRows(rowNo) && rowNo >= 1;
        } else if (r.name() == QLatin1String("c") && rowNo > 0) {
            const QString ref = r.attributes().value(QLatin1String("r")).toString();
            const QString type = r.attributes().value(QLatin1String("t")).toString();
            int col = columnOfRef(ref);
            if (col == 0)
                col = static_cast<int>(rows->at(rowNo - 1).size()) + 1;
            QString value;
            // Read the cell's children: <v> or <is><t>.
            while (!r.atEnd()) {
                r.readNext();
                if (r.isEndElement() && r.name() == QLatin1String("c"))
                    break;
                if (r.isStartElement() && r.name() == QLatin1String("v")) {
                    value = r.readElementText();
                } else if (r.isStartElement() && r.name() == QLatin1String("t")) {
                    value += r.readElementText();
                }
            }
            if (type == QLatin1String("s")) {
                bool ok = false;
                const int i = value.toInt(&ok);
                value = ok && i >= 0 && i < strings.size() ? strings.at(i) : QString();
            } else if (type == QLatin1String("b")) {
                value = value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            }
            inRange = grid.setCell(rowNo, col, value);
        }
    }
    if (!inRange) {
        rows->clear();
        *reason = QStringLiteral("文件不是有效的Excel表格(xlsx)：行号、列号或单元格数超出了工作表的范围。");
        return false;
    }
    if (r.hasError()) {
        *reason = QStringLiteral("Excel表格内容已损坏，无法读取。");
        rows->clear();
        return false;
    }
    return true;
}

} // namespace wage
