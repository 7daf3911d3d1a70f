// Every export format read back, and the readers an import relies on.
#include "core/textcodec.h"
#include "kit/sheetreader.h"
#include "kit/tableexport.h"
#include "kit/xlsxfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include "qtprint.h"

#include <gtest/gtest.h>

using namespace wage;

namespace {

TextTable sampleTable()
{
    TextTable t;
    t.headers = {QStringLiteral("工序编号"), QStringLiteral("工序名称"), QStringLiteral("单价")};
    t.numeric = {false, false, true};
    t.rows << QStringList{QStringLiteral("G01"), QStringLiteral("裁剪, \"大\"件"), QStringLiteral("1.25")}
           << QStringList{QStringLiteral("G02"), QStringLiteral("包装<箱>&{x}\\"), QStringLiteral("0")}
           << QStringList{QStringLiteral("G03"), QString(), QStringLiteral("12")};
    return t;
}

QList<QStringList> expectedRows(const TextTable &t)
{
    QList<QStringList> rows;
    rows << t.headers;
    for (const QStringList &r : t.rows)
        rows << r;
    return rows;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QString decodeRtf(const QString &cell)
{
    QString out;
    for (int i = 0; i < cell.size(); ++i) {
        if (cell.at(i) != QLatin1Char('\\')) {
            out += cell.at(i);
            continue;
        }
        const QChar n = cell.at(i + 1);
        if (n == QLatin1Char('\\') || n == QLatin1Char('{') || n == QLatin1Char('}')) {
            out += n;
            ++i;
        } else if (n == QLatin1Char('u')) {
            int j = i + 2;
            while (cell.at(j) == QLatin1Char('-') || cell.at(j).isDigit())
                ++j;
            out += QChar(static_cast<ushort>(cell.mid(i + 2, j - i - 2).toShort()));
            i = j;   // skips the '?' replacement
        } else {
            int j = i + 1;
            while (j < cell.size() && cell.at(j).isLetterOrNumber())
                ++j;
            if (j < cell.size() && cell.at(j) == QLatin1Char(' '))
                ++j;
            i = j - 1;
        }
    }
    return out;
}

} // namespace

TEST(TableExport, EveryFormatReadsBackWithTitlesAndAllRows)
{
    QTemporaryDir dir;
    const TextTable t = sampleTable();
    const QList<QStringList> want = expectedRows(t);

    for (ExportFormat fmt : {ExportFormat::Xls, ExportFormat::Xlsx, ExportFormat::Csv}) {
        const QString path = dir.filePath(QStringLiteral("报表.") + exportExtension(fmt));
        ASSERT_TRUE(exportTable(t, path, fmt));
        QList<QStringList> rows;
        QString reason;
        ASSERT_TRUE(readSheetFile(path, &rows, &reason)) << reason.toStdString();
        // Trailing empty cells may be left out by spreadsheet writers.
        for (int i = 0; i < want.size(); ++i)
            while (rows[i].size() < want[i].size())
                rows[i] << QString();
        EXPECT_EQ(rows, want) << exportExtension(fmt).toStdString();
    }

    // csv and txt are GBK on disk.
    const QString csv = dir.filePath(QStringLiteral("a.csv"));
    exportTable(t, csv, ExportFormat::Csv);
    EXPECT_FALSE(isValidUtf8(readAll(csv)));
    EXPECT_EQ(fromGbk(readAll(csv)).section(QLatin1String("\r\n"), 0, 0), QStringLiteral("工序编号,工序名称,单价"));

    const QString txt = dir.filePath(QStringLiteral("a.txt"));
    ASSERT_TRUE(exportTable(t, txt, ExportFormat::Txt));
    const QStringList lines = fromGbk(readAll(txt)).split(QLatin1String("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[2].split(QLatin1Char('\t')), t.rows[1]);

    const QString htm = dir.filePath(QStringLiteral("a.htm"));
    ASSERT_TRUE(exportTable(t, htm, ExportFormat::Htm));
    const QString html = QString::fromUtf8(readAll(htm));
    QList<QStringList> htmlRows;
    QRegularExpression rowRe(QStringLiteral("<tr>(.*?)</tr>"));
    QRegularExpression cellRe(QStringLiteral("<t[hd][^>]*>(.*?)</t[hd]>"));
    for (auto m = rowRe.globalMatch(html); m.hasNext();) {
        QStringList cells;
        const QString inner = m.next().captured(1);
        for (auto c = cellRe.globalMatch(inner); c.hasNext();) {
            QString v = c.next().captured(1);
            v.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"))
                .replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&amp;"), QLatin1String("&"));
            cells << v;
        }
        htmlRows << cells;
    }
    EXPECT_EQ(htmlRows, want);

    const QString rtfPath = dir.filePath(QStringLiteral("a.rtf"));
    ASSERT_TRUE(exportTable(t, rtfPath, ExportFormat::Rtf));
    const QString rtf = QString::fromLatin1(readAll(rtfPath));
    ASSERT_TRUE(rtf.startsWith(QLatin1String("{\\rtf1")));
    QList<QStringList> rtfRows;
    for (const QString &rowText : rtf.split(QStringLiteral("\\row"))) {
        QStringList cells;
        QRegularExpression re(QStringLiteral("\\\\intbl(?:\\\\b)? (.*?)(?:\\\\b0)?\\\\cell\\n"));
        for (auto m = re.globalMatch(rowText); m.hasNext();)
            cells << decodeRtf(m.next().captured(1));
        if (!cells.isEmpty())
            rtfRows << cells;
    }
    EXPECT_EQ(rtfRows, want);
}

TEST(TableExport, FileNameGetsTheExtensionOnlyWhenItsLastThreeCharactersDiffer)
{
    EXPECT_EQ(exportFileName(QStringLiteral("报表.XLS"), ExportFormat::Xls), QStringLiteral("报表.XLS"));
    EXPECT_EQ(exportFileName(QStringLiteral("报表"), ExportFormat::Xls), QStringLiteral("报表.xls"));
    EXPECT_EQ(exportFileName(QStringLiteral("临时输出.xls"), ExportFormat::Csv), QStringLiteral("临时输出.xls.csv"));
    EXPECT_EQ(exportFileName(QStringLiteral("a.xlsx"), ExportFormat::Xlsx), QStringLiteral("a.xlsx"));

    ExportFormat f = ExportFormat::Txt;
    EXPECT_TRUE(exportFormatForFilterIndex(1, &f));
    EXPECT_EQ(f, ExportFormat::Xls);
    EXPECT_TRUE(exportFormatForFilterIndex(4, &f));
    EXPECT_EQ(f, ExportFormat::Rtf);
    EXPECT_FALSE(exportFormatForFilterIndex(0, &f));
    EXPECT_FALSE(exportFormatForFilterIndex(6, &f));
    EXPECT_TRUE(exportFormatOfFileName(QStringLiteral("报表.CSV"), &f));
    EXPECT_EQ(f, ExportFormat::Csv);
    EXPECT_FALSE(exportFormatOfFileName(QStringLiteral("报表"), &f));
}

TEST(SheetReader, CsvInGbkAndUtf8WithQuotesAndTabs)
{
    QTemporaryDir dir;
    const QString text = QStringLiteral("工序编号,单价\r\n\"G,1\",\"say \"\"hi\"\"\r\nnext\"\r\nG2,3\r\n");
    const QList<QStringList> want{{QStringLiteral("工序编号"), QStringLiteral("单价")},
                                  {QStringLiteral("G,1"), QStringLiteral("say \"hi\"\r\nnext")},
                                  {QStringLiteral("G2"), QStringLiteral("3")}};
    for (const QByteArray &bytes : {toGbk(text), QByteArray("\xEF\xBB\xBF") + text.toUtf8()}) {
        const QString path = dir.filePath(QStringLiteral("in.csv"));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
        QList<QStringList> rows;
        QString reason;
        ASSERT_TRUE(readSheetFile(path, &rows, &reason));
        EXPECT_EQ(rows, want);
    }
    EXPECT_EQ(parseSeparatedText(QStringLiteral("a\tb\nc\td"), QLatin1Char('\t')),
              (QList<QStringList>{{"a", "b"}, {"c", "d"}}));
}

TEST(SheetReader, RefusesWhatIsNotASpreadsheet)
{
    QTemporaryDir dir;
    struct Case { const char *name; QByteArray bytes; };
    const Case cases[] = {
        {"photo.jpg", QByteArray("\xFF\xD8\xFF\xE0 not a sheet", 16)},
        {"old.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(100, '\0')},
        {"broken.xlsx", QByteArray("PK\x03\x04garbage", 11)},
        {"note.xls", QByteArray("<?xml version=\"1.0\"?><html><body/></html>")},
    };
    for (const Case &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(c.bytes);
        f.close();
        QList<QStringList> rows;
        QString reason;
        EXPECT_FALSE(readSheetFile(path, &rows, &reason)) << c.name;
        EXPECT_FALSE(reason.isEmpty()) << c.name;
        EXPECT_TRUE(rows.isEmpty()) << c.name;
    }
    QList<QStringList> rows;
    QString reason;
    EXPECT_FALSE(readSheetFile(dir.filePath(QStringLiteral("missing.csv")), &rows, &reason));
}
