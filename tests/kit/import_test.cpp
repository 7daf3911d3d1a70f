// Importing rows into a data source from csv, from an xlsx built here with libzip, from the
// grid's own export, and the inputs that must add nothing.
#include "core/prompt.h"
#include "core/textcodec.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/sqlroutines.h"
#include "kit/tableexport.h"
#include "kit/tmyimport.h"
#include "kitdb.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zip.h>

using namespace kittest;

namespace {

struct ImportFixture {
    KitDb db;
    wage::Dataset ds{db.conn(), "select * from F_PriceAdjust"};
    wage::DataSource source{&ds};
    TMyImport import;
    QTemporaryDir dir;
    ImportFixture()
    {
        db.exec("create table F_PriceAdjust (id integer primary key, gsxu_no nvarchar(20), ip_gsxu nvarchar(40),"
                " new_price money, tj_riqi datetime, Active_state nvarchar(20))");
        db.reg("F_PriceAdjust", 1, "gsxu_no", "工序编号", "字符型");
        db.reg("F_PriceAdjust", 2, "ip_gsxu", "工序名称", "字符型");
        db.reg("F_PriceAdjust", 3, "new_price", "调整后单价", "货币型");
        db.reg("F_PriceAdjust", 4, "tj_riqi", "调价日期", "日期型");
        ds.open();
        import.SetDataSource(&source);
    }
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    int count() { return GetSqli("select count(*) from F_PriceAdjust", db.conn()); }
};

void addEntry(zip_t *z, const char *name, const QByteArray &text)
{
    void *copy = malloc(text.size());
    memcpy(copy, text.constData(), text.size());
    zip_file_add(z, name, zip_source_buffer(z, copy, text.size(), 1), ZIP_FL_OVERWRITE);
}

// A workbook as spreadsheet programs write it: shared strings (one with rich-text runs), a
// number, a date as a serial day number, an inline string, a skipped cell.
QString buildXlsx(const QString &path)
{
    int err = 0;
    zip_t *z = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    addEntry(z, "[Content_Types].xml", "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>");
    addEntry(z, "xl/workbook.xml",
             "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
             "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
             "<sheet name=\"调价\" sheetId=\"1\" r:id=\"rId7\"/></sheets></workbook>");
    addEntry(z, "xl/_rels/workbook.xml.rels",
             "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"rId7\" Type=\"worksheet\" Target=\"worksheets/data.xml\"/></Relationships>");
    addEntry(z, "xl/sharedStrings.xml",
             QStringLiteral("<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                            "<si><t>工序编号</t></si><si><t>调整后单价</t></si><si><t>调价日期</t></si>"
                            "<si><r><t>G</t></r><r><t>01</t></r></si><si><t>备注</t></si></sst>").toUtf8());
    addEntry(z, "xl/worksheets/data.xml",
             "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
             "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c>"
             "<c r=\"E1\" t=\"s\"><v>4</v></c></row>"
             "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>3</v></c><c r=\"B2\"><v>1.75</v></c><c r=\"C2\"><v>46357</v></c></row>"
             "<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><t>G02</t></is></c><c r=\"B3\"><v>2</v></c></row>"
             "</sheetData></worksheet>");
    zip_close(z);
    return path;
}

} // namespace

TEST(TMyImport, CsvInGbkMapsColumnsByCaption)
{
    ImportFixture f;
    wage::ScopedScriptedPrompt prompt;
    const QString csv = f.write("调价.csv", wage::toGbk("工序编号,工序名称,调整后单价,不认识的列\r\nG01,裁剪,1.8,x\r\nG02,\"包装,大\",2.05,y\r\n\r\n"));
    EXPECT_EQ(f.import.ImportFile(csv), 2);
    EXPECT_EQ(f.count(), 2);
    EXPECT_EQ(GetSqlStr("select ip_gsxu from F_PriceAdjust where gsxu_no='G02'", f.db.conn()), "包装,大");
    EXPECT_EQ(GetSqlStr("select new_price from F_PriceAdjust where gsxu_no='G01'", f.db.conn()), "1.8");
    EXPECT_EQ(f.import.unmatchedTitles(), QStringList{"不认识的列"});
    EXPECT_EQ(f.ds.recordCount(), 2);
    EXPECT_TRUE(prompt.saw("导入完成，共导入2条记录。"));
}

TEST(TMyImport, XlsxWithSharedStringsDatesAndGaps)
{
    ImportFixture f;
    wage::ScopedScriptedPrompt prompt;
    EXPECT_EQ(f.import.ImportFile(buildXlsx(f.dir.filePath("调价.xlsx"))), 2);
    const auto r = f.db.conn()->query("select gsxu_no, new_price, tj_riqi from F_PriceAdjust order by gsxu_no");
    ASSERT_EQ(r.rows.size(), 2);
    EXPECT_EQ(r.rows[0][0].toString(), "G01");
    EXPECT_DOUBLE_EQ(r.rows[0][1].toDouble(), 1.75);
    EXPECT_TRUE(r.rows[0][2].toString().startsWith("2026-12-01"));
    EXPECT_EQ(r.rows[1][0].toString(), "G02");
    EXPECT_TRUE(r.rows[1][2].isNull());
}

TEST(TMyImport, PastedRowsAndAnExportedTemplate)
{
    ImportFixture f;
    wage::ScopedScriptedPrompt prompt;
    EXPECT_EQ(f.import.ImportText("工序编号\t调整后单价\nG07\t3.5\n"), 1);
    wage::TextTable t;
    t.headers = {"工序编号", "调整后单价"};
    t.numeric = {false, true};
    t.rows << QStringList{"G08", "4"};
    ASSERT_TRUE(wage::exportTable(t, f.dir.filePath("工价调整单模板.xls"), wage::ExportFormat::Xls));
    EXPECT_EQ(f.import.ImportFile(f.dir.filePath("工价调整单模板.xls")), 1);
    EXPECT_EQ(GetSqlList("select gsxu_no from F_PriceAdjust order by gsxu_no", f.db.conn()), (QStringList{"G07", "G08"}));

    // Through the file dialog; a cancelled dialog imports nothing and says nothing.
    prompt.files = {f.dir.filePath("工价调整单模板.xls")};
    EXPECT_EQ(f.import.Execute(), 1);
    const int shown = prompt.shown.size();
    EXPECT_EQ(f.import.Execute(), -1);
    EXPECT_EQ(prompt.shown.size(), shown + 1);   // only the dialog itself
}

TEST(TMyImport, BadInputAddsNothingAndSaysWhy)
{
    ImportFixture f;
    struct Case { const char *name; QByteArray bytes; const char *says; } cases[] = {
        {"照片.jpg", QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10), "不是有效的表格文件"},
        {"空.csv", QByteArray(), "没有可导入的数据"},
        {"只有标题.csv", wage::toGbk("工序编号,调整后单价\r\n"), "没有可导入的数据"},
        {"对不上.csv", wage::toGbk("甲,乙\r\n1,2\r\n"), "都不对应"},
        {"坏数值.csv", wage::toGbk("工序编号,调整后单价\r\nG01,1.5\r\nG02,一块\r\n"), "第3行“调整后单价”的值“一块”不是有效的数值"},
        {"坏日期.csv", wage::toGbk("工序编号,调价日期\r\nG01,明天\r\n"), "不是有效的日期"},
        {"旧格式.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(512, '\0'), "旧版二进制Excel"},
    };
    for (const Case &c : cases) {
        wage::ScopedScriptedPrompt prompt;
        EXPECT_EQ(f.import.ImportFile(f.write(QString::fromUtf8(c.name), c.bytes)), -1) << c.name;
        ASSERT_EQ(prompt.shown.size(), 1) << c.name;
        EXPECT_TRUE(prompt.shown[0].text.contains(QString::fromUtf8(c.says))) << prompt.shown[0].text.toStdString();
        EXPECT_EQ(f.count(), 0) << c.name;
        EXPECT_EQ(f.ds.recordCount(), 0) << c.name;
    }
    // A row the database refuses undoes the rows before it.
    f.db.exec("create unique index ux_gsxu on F_PriceAdjust (gsxu_no)");
    wage::ScopedScriptedPrompt prompt;
    EXPECT_EQ(f.import.ImportFile(f.write("重复.csv", wage::toGbk("工序编号\r\nG01\r\nG02\r\nG01\r\n"))), -1);
    EXPECT_EQ(f.count(), 0);
    EXPECT_EQ(f.ds.recordCount(), 0);
    EXPECT_TRUE(prompt.shown.last().text.startsWith("导入失败"));
}

namespace {

// A workbook whose only sheet is `sheetXml` (no shared strings).
QString buildSheetOnlyXlsx(const QString &path, const QByteArray &sheetXml)
{
    int err = 0;
    zip_t *z = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    addEntry(z, "xl/workbook.xml",
             "<?xml version=\"1.0\"?><workbook xmlns:r=\"r\"><sheets><sheet name=\"a\" sheetId=\"1\" r:id=\"rId1\"/>"
             "</sheets></workbook>");
    addEntry(z, "xl/_rels/workbook.xml.rels",
             "<?xml version=\"1.0\"?><Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>"
             "</Relationships>");
    addEntry(z, "xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?><worksheet><sheetData>" + sheetXml + "</sheetData></worksheet>");
    zip_close(z);
    return path;
}

QByteArray titleAndOneRow() { return "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>工序编号</t></is></c></row>"; }

// The archive's record of the sheet's unpacked size (local and central headers) set to `size`,
// as a crafted file of a few kilobytes claims gigabytes.
void claimUnpackedSize(const QString &path, const QByteArray &entry, quint32 size)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    auto put = [&](int at) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((size >> (8 * i)) & 0xFF);
    };
    int patched = 0;
    for (int at = bytes.indexOf(entry); at >= 0; at = bytes.indexOf(entry, at + 1)) {
        if (at >= 30 && bytes.mid(at - 30, 4) == "PK\x03\x04") {
            put(at - 30 + 22);
            ++patched;
        } else if (at >= 46 && bytes.mid(at - 46, 4) == "PK\x01\x02") {
            put(at - 46 + 24);
            ++patched;
        }
    }
    ASSERT_EQ(patched, 2);
    f.seek(0);
    f.write(bytes);
}

} // namespace

// Imported files are untrusted: sizes and indexes far beyond a worksheet are refused with the
// reader's message before anything is allocated for them, and nothing is imported.
TEST(TMyImport, CraftedSheetsAreRefusedAndAddNothing)
{
    ImportFixture f;
    QByteArray manyWideRows;
    for (int r = 2; r <= 400; ++r)
        manyWideRows += QStringLiteral("<row r=\"%1\"><c r=\"XFD%1\"><v>1</v></c></row>").arg(r).toUtf8();
    struct Case { const char *name; QByteArray sheet; quint32 claimedSize; } xlsxCases[] = {
        {"row2000000000.xlsx", titleAndOneRow() + "<row r=\"2000000000\"><c r=\"A2000000000\"><v>1</v></c></row>", 0},
        {"row0.xlsx", titleAndOneRow() + "<row r=\"0\"><c r=\"A1\"><v>1</v></c></row>", 0},
        {"columnZZZZZZZ.xlsx", titleAndOneRow() + "<row r=\"2\"><c r=\"ZZZZZZZ2\"><v>1</v></c></row>", 0},
        {"column16385.xlsx", titleAndOneRow() + "<row r=\"2\"><c r=\"XFE2\"><v>1</v></c></row>", 0},
        {"sixMillionCells.xlsx", titleAndOneRow() + manyWideRows, 0},
        {"claims2.3GB.xlsx", titleAndOneRow() + "<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>", 0x8A000000u},
        {"claims300MB.xlsx", titleAndOneRow() + "<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>", 300u * 1024 * 1024},
    };
    for (const Case &c : xlsxCases) {
        SCOPED_TRACE(c.name);
        const QString path = buildSheetOnlyXlsx(f.dir.filePath(QString::fromUtf8(c.name)), c.sheet);
        if (c.claimedSize)
            claimUnpackedSize(path, "xl/worksheets/sheet1.xml", c.claimedSize);
        wage::ScopedScriptedPrompt prompt;
        EXPECT_EQ(f.import.ImportFile(path), -1);
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_TRUE(prompt.shown[0].text.contains("不是有效的Excel表格")) << prompt.shown[0].text.toStdString();
        EXPECT_EQ(f.count(), 0);
        EXPECT_EQ(f.ds.recordCount(), 0);
    }

    const QByteArray head = "<?xml version=\"1.0\"?><Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
                            "<Worksheet ss:Name=\"a\"><Table><Row><Cell><Data ss:Type=\"String\">工序编号</Data></Cell></Row>";
    const QByteArray foot = "</Table></Worksheet></Workbook>";
    const QByteArray xmlCases[] = {
        "<Row ss:Index=\"2000000000\"><Cell><Data ss:Type=\"String\">G01</Data></Cell></Row>",
        "<Row><Cell ss:Index=\"2000000000\"><Data ss:Type=\"String\">G01</Data></Cell></Row>",
        "<Row><Cell ss:Index=\"-3\"><Data ss:Type=\"String\">G01</Data></Cell></Row>",
    };
    for (const QByteArray &rows : xmlCases) {
        SCOPED_TRACE(rows.constData());
        wage::ScopedScriptedPrompt prompt;
        EXPECT_EQ(f.import.ImportFile(f.write("调价.xls", head + rows + foot)), -1);
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_TRUE(prompt.shown[0].text.contains("不是有效的Excel表格")) << prompt.shown[0].text.toStdString();
        EXPECT_EQ(f.count(), 0);
    }

    {
        wage::ScopedScriptedPrompt prompt;
        EXPECT_EQ(f.import.ImportFile(f.write("宽.csv", "gsxu_no" + QByteArray(20000, ',') + "\r\nG01\r\n")), -1);
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_TRUE(prompt.shown[0].text.contains("不是有效的文本表格")) << prompt.shown[0].text.toStdString();
        EXPECT_EQ(f.import.ImportText("gsxu_no" + QString(20000, '\t') + "\nG01\n"), -1);
        EXPECT_EQ(f.count(), 0);
    }

    // Within the bounds the same shapes still import: a gap of rows, a cell placed by index.
    wage::ScopedScriptedPrompt prompt;
    EXPECT_EQ(f.import.ImportFile(f.write("调价.xls", head
                                                        + "<Row ss:Index=\"4\"><Cell ss:Index=\"1\"><Data ss:Type=\"String\">G09</Data>"
                                                          "</Cell></Row>" + foot)), 1);
    EXPECT_EQ(GetSqlList("select gsxu_no from F_PriceAdjust", f.db.conn()), QStringList{"G09"});
}
