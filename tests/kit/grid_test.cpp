// The data grid laid out from the registry: columns, ticks, footer sums, title-click sorting,
// the search panel, frozen columns, owner drawing, exports and the vertical grid.
#include "core/prompt.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/datavertgrid.h"
#include "kit/disgrid.h"
#include "kit/gridmodel.h"
#include "kit/sheetreader.h"
#include "core/strutil.h"
#include "kitdb.h"

#include <QDir>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace kittest;

namespace {

struct GridFixture {
    KitDb db;
    wage::Dataset ds{db.conn(), "select * from f_jijm order by dj_no"};
    wage::DataSource source{&ds};
    wage::DataGrid grid;
    GridFixture()
    {
        ds.open();
        grid.setObjectName("DBGridEh1");
        DisGrid("f_jijm", "王五", &source, db.conn(), &grid);
        grid.resize(760, 260);
        grid.show();
        QCoreApplication::processEvents();
    }
    QStringList column(const QString &field)
    {
        QStringList out;
        const int c = grid.columnOfField(field);
        for (int r = 0; r < grid.gridModel()->rowCount(); ++r)
            out << grid.gridModel()->cellText(r, c);
        return out;
    }
    void clickTitle(int gridColumn)
    {
        QHeaderView *h = grid.view()->horizontalHeader();
        const int vc = grid.gridModel()->viewColumn(gridColumn);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(vc) + 5, 5));
    }
};

} // namespace

TEST(DataGrid, RegistryLayout)
{
    GridFixture f;
    const QStringList fields{"dj_no", "riqi", "ry_no", "ry_name", "gsxu_no", "ip_gsxu", "ip_djjw", "ip_uuld", "jjje", "locked"};
    ASSERT_EQ(f.grid.columnCount(), fields.size());
    for (int i = 0; i < fields.size(); ++i)
        EXPECT_EQ(f.grid.column(i).fieldName, fields[i]);
    EXPECT_EQ(f.grid.column(5).caption, "工序名称");
    EXPECT_EQ(f.grid.titleText(8), "金额\n计件");              // two title levels
    EXPECT_FALSE(f.grid.isColumnVisible(0));                      // 隐藏
    EXPECT_TRUE(f.grid.isColumnVisible(1));
    EXPECT_GT(f.grid.columnWidth(5), f.grid.columnWidth(4));     // 20 characters against 10
    EXPECT_GT(f.grid.view()->horizontalHeader()->height(), f.grid.view()->verticalHeader()->defaultSectionSize());
    auto editable = [&](int c) {
        return bool(f.grid.gridModel()->flags(f.grid.gridModel()->index(0, f.grid.gridModel()->viewColumn(c)))
                    & Qt::ItemIsEditable);
    };
    EXPECT_TRUE(editable(6));
    EXPECT_FALSE(editable(7));   // 不激活
    EXPECT_FALSE(editable(9));   // 无焦点
    EXPECT_EQ(f.grid.gridModel()->headerData(2, Qt::Vertical).toInt(), 3);   // row numbers
    EXPECT_EQ(f.ds.displayLabel(f.ds.fieldIndex("ip_gsxu")), "工序名称");

    // A table without registry rows shows every field under its name.
    f.db.exec("delete from f_system");
    DisGrid("f_jijm", "王五", &f.source, f.db.conn(), &f.grid);
    EXPECT_EQ(f.grid.columnCount(), f.ds.fieldCount());
    EXPECT_EQ(f.grid.column(0).caption, "dj_no");
}

TEST(DataGrid, TicksFooterSortingAndSearch)
{
    GridFixture f;
    f.grid.setCheckBoxes(true);
    f.grid.setFooterSums(true);
    wage::GridModel *m = f.grid.gridModel();

    // Ticks live in the dataset and survive sorting.
    ASSERT_TRUE(m->setData(m->index(1, 0), Qt::Checked, Qt::CheckStateRole));
    ASSERT_TRUE(m->setData(m->index(3, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(f.ds.tickedRows(), (QList<int>{1, 3}));

    const int uuld = f.grid.columnOfField("ip_uuld"), jjje = f.grid.columnOfField("jjje");
    EXPECT_EQ(f.grid.footerText(uuld), "158");
    EXPECT_EQ(f.grid.footerText(jjje), "256.00");
    EXPECT_EQ(f.grid.footerText(f.grid.columnOfField("ry_no")), "");

    // An edit through the grid is posted and the footer follows.
    ASSERT_TRUE(m->setData(m->index(0, m->viewColumn(jjje)), 160));
    EXPECT_EQ(f.grid.footerText(jjje), "266.00");
    EXPECT_EQ(GetSqlStr("select jjje from f_jijm where dj_no=1", f.db.conn()), "160");

    // Title clicks: ascending, then descending.
    f.clickTitle(uuld);
    EXPECT_EQ(f.column("ip_uuld"), (QStringList{"8", "10", "40", "100"}));
    EXPECT_EQ(f.grid.sortText(), "ip_uuld");
    f.clickTitle(uuld);
    EXPECT_EQ(f.column("ip_uuld"), (QStringList{"100", "40", "10", "8"}));
    EXPECT_EQ(f.grid.sortText(), "ip_uuld DESC");
    QStringList ticked;
    for (int r : f.ds.tickedRows())
        ticked << f.ds.value(r, f.ds.fieldIndex("dj_no")).toString();
    EXPECT_EQ(ticked, (QStringList{"2", "4"}));
    // Names by pinyin (code points would put 张 before 李).
    f.clickTitle(f.grid.columnOfField("ry_name"));
    QStringList names = f.column("ry_name");
    names.removeAll("O'Neil");
    EXPECT_EQ(names, (QStringList{"李四", "张三", "张三"}));

    // Search filters the dataset while typing; the footer sums the rows shown.
    f.grid.setSearchPanel(true);
    f.grid.setSearchText("包装");
    EXPECT_EQ(f.ds.recordCount(), 2);
    EXPECT_EQ(m->rowCount(), 2);
    QStringList shown;
    for (f.ds.first(); !f.ds.eof(); f.ds.next())
        shown << f.ds.value("dj_no").toString();
    EXPECT_EQ(shown, (QStringList{"2", "4"}));
    EXPECT_EQ(f.grid.footerText(uuld), "18");
    f.grid.setSearchText("");
    EXPECT_EQ(f.ds.recordCount(), 4);
    EXPECT_EQ(f.grid.footerText(uuld), "158");

    // A record made and deleted is one row more or less, and the footer follows.
    f.ds.append();
    f.ds.setValue("ip_uuld", 2);
    f.ds.post();
    EXPECT_EQ(m->rowCount(), 5);
    EXPECT_EQ(f.grid.footerText(uuld), "160");
    f.ds.remove();
    EXPECT_EQ(m->rowCount(), 4);
    EXPECT_EQ(f.grid.footerText(uuld), "158");

    // Requery keeps the layout and recalculates.
    f.db.exec("update f_jijm set ip_uuld=0 where dj_no=1");
    f.ds.requery();
    EXPECT_EQ(f.grid.footerText(uuld), "58");
}

TEST(DataGrid, NewAndDeletedRowsKeepTheSearchAndTheFooter)
{
    // Rows come and go one at a time without a reset: the search keeps filtering the other
    // rows, a record added during the search stays shown until the text changes, and the
    // footer follows the rows shown.
    GridFixture f;
    f.grid.setFooterSums(true);
    f.grid.setSearchPanel(true);
    f.grid.setSearchText("包装");
    const int uuld = f.grid.columnOfField("ip_uuld");
    auto shown = [&f] {
        QStringList out;
        for (int r = 0; r < f.grid.gridModel()->rowCount(); ++r)
            if (f.grid.isRowShown(r))
                out << f.ds.value(r, f.ds.fieldIndex("dj_no")).toString();
        return out;
    };
    ASSERT_EQ(shown(), (QStringList{"2", "4"}));
    EXPECT_EQ(f.grid.footerText(uuld), "18");

    f.ds.append();
    EXPECT_EQ(f.grid.gridModel()->rowCount(), 3);
    f.ds.setValue("dj_no", 5);
    f.ds.setValue("ip_uuld", 7);
    f.ds.post();
    EXPECT_EQ(shown(), (QStringList{"2", "4", "5"}));
    EXPECT_EQ(f.grid.footerText(uuld), "25");

    f.ds.first();    // the first row shown: dj_no 2
    f.ds.remove();
    EXPECT_EQ(shown(), (QStringList{"4", "5"}));
    f.grid.setSearchText("");
    EXPECT_EQ(shown(), (QStringList{"1", "3", "4", "5"}));
    EXPECT_EQ(f.grid.footerText(uuld), "155");
    EXPECT_EQ(f.ds.recordCount(), 4);
}

TEST(DataGrid, CurrentRowFollowsTheDatasetBothWays)
{
    GridFixture f;
    f.ds.moveTo(2);
    EXPECT_EQ(f.grid.view()->currentIndex().row(), 2);
    f.grid.view()->setCurrentIndex(f.grid.gridModel()->index(1, 3));
    EXPECT_EQ(f.ds.currentRow(), 1);
    // The 无焦点 column (审核, the last) hands the cursor back to the column before it.
    f.grid.view()->setCurrentIndex(f.grid.gridModel()->index(1, 9));
    EXPECT_EQ(f.grid.view()->currentIndex().column(), 8);
}

TEST(DataGrid, FrozenColumnsStayInTheirOwnView)
{
    GridFixture f;
    f.grid.setCheckBoxes(true);
    f.grid.setFrozenCols(3);
    QTableView *frozen = f.grid.frozenView();
    EXPECT_TRUE(frozen->isVisible());
    wage::GridModel *m = f.grid.gridModel();
    EXPECT_FALSE(frozen->isColumnHidden(0));                 // ticks
    EXPECT_TRUE(frozen->isColumnHidden(m->viewColumn(0)));   // hidden by the registry
    EXPECT_FALSE(frozen->isColumnHidden(m->viewColumn(2)));
    EXPECT_TRUE(frozen->isColumnHidden(m->viewColumn(3)));
    EXPECT_EQ(frozen->selectionModel(), f.grid.view()->selectionModel());
    f.grid.setFrozenCols(0);
    EXPECT_FALSE(frozen->isVisible());
}

TEST(DataGrid, ExportsVisibleColumnsAndTheRowsShown)
{
    GridFixture f;
    f.grid.setSearchPanel(true);
    f.grid.setSearchText("包装");   // the export holds what the search left
    const QStringList titles{"日期", "员工编号", "员工姓名", "工序编号", "工序名称", "单价", "产量", "金额|计件", "审核"};
    QTemporaryDir dir;
    for (wage::ExportFormat fmt : {wage::ExportFormat::Xls, wage::ExportFormat::Xlsx, wage::ExportFormat::Csv,
                                   wage::ExportFormat::Txt}) {
        const QString path = dir.filePath("临时输出." + wage::exportExtension(fmt));
        ASSERT_TRUE(f.grid.exportTo(path, fmt));
        QList<QStringList> rows;
        QString reason;
        ASSERT_TRUE(wage::readSheetFile(path, &rows, &reason)) << reason.toStdString();
        ASSERT_EQ(rows.size(), 3) << path.toStdString();
        EXPECT_EQ(rows[0], titles);
        EXPECT_EQ(rows[1].value(2), "李四");
        EXPECT_EQ(rows[1].value(0), "2026-12-02");
        EXPECT_EQ(rows[2].value(5).toDouble(), 3.25);
    }
    for (wage::ExportFormat fmt : {wage::ExportFormat::Htm, wage::ExportFormat::Rtf}) {
        const QString path = dir.filePath("临时输出." + wage::exportExtension(fmt));
        ASSERT_TRUE(f.grid.exportTo(path, fmt));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.count(fmt == wage::ExportFormat::Htm ? "<tr>" : "\\row"), 3);
    }
    f.grid.setSearchText("");
    const QString path = dir.filePath("全部.xlsx");
    ASSERT_TRUE(f.grid.exportTo(path, wage::ExportFormat::Xlsx));
    QList<QStringList> rows;
    QString reason;
    ASSERT_TRUE(wage::readSheetFile(path, &rows, &reason)) << reason.toStdString();
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[3].value(2), "O'Neil");
}

TEST(DataGrid, SearchMatchesTheTextTheCellsShow)
{
    GridFixture f;
    f.grid.setFooterSums(true);
    f.grid.setSearchPanel(true);
    const int jjje = f.grid.columnOfField("jjje");
    const struct {
        const char *text;
        QStringList records;
        const char *amount;
    } cases[] = {
        {"包装", {"2", "4"}, "46.00"},
        {"o'neil", {"3"}, "60.00"},           // without regard to case
        {"26.00", {"4"}, "26.00"},            // money as shown, stored as 26
        {"12-05", {"4"}, "26.00"},            // a date
        {"1.5", {"1", "3"}, "210.00"},        // 单价 1.50
        {"a0", {"1", "2", "3", "4"}, "256.00"},
        {"已审", {"3"}, "60.00"},
        {"已审 ", {"3"}, "60.00"},            // blanks around the text do not count
        {"无此内容", {}, "0.00"},
        {"4", {"3"}, "60.00"},                // 产量 40; the hidden 单号 4 is not searched
    };
    for (const auto &c : cases) {
        f.grid.setSearchText(QString::fromUtf8(c.text));
        QStringList found;
        for (int r = 0; r < f.ds.recordCount(); ++r)
            found << f.ds.value(r, f.ds.fieldIndex("dj_no")).toString();
        EXPECT_EQ(found, c.records) << c.text;
        EXPECT_EQ(f.grid.footerText(jjje), c.amount) << c.text;
    }
    f.grid.setSearchText("");
    EXPECT_EQ(f.ds.recordCount(), 4);
    EXPECT_EQ(f.grid.footerText(jjje), "256.00");
}

TEST(DataGrid, SearchFollowsTheDatasetSwappedInAndEndsWithTheGrid)
{
    GridFixture f;
    f.grid.setSearchPanel(true);
    f.grid.setSearchText("包装");
    wage::Dataset other(f.db.conn(), "select * from f_jijm");
    other.open();
    f.source.setDataSet(&other);   // plug-ins swap the dataset behind the host's data source
    EXPECT_EQ(f.ds.recordCount(), 4);
    EXPECT_EQ(other.recordCount(), 2);

    auto *grid = new wage::DataGrid;
    wage::DataSource source(&f.ds);
    grid->setDataSource(&source);
    grid->setColumns(f.grid.columns());
    grid->setSearchText("裁剪");
    EXPECT_EQ(f.ds.recordCount(), 2);
    delete grid;
    EXPECT_EQ(f.ds.recordCount(), 4);
}

TEST(DataGrid, FooterSumsTheRegistrysFieldsInTheCellsFormat)
{
    GridFixture f;
    f.db.exec("alter table f_jijm add wt float");
    f.db.exec("update f_jijm set wt=0.5 where dj_no=1");
    f.db.exec("update f_jijm set wt=1 where dj_no=2");
    f.db.reg("f_jijm", 10, "wt", "重量", "数值型");
    f.db.exec("update f_system set field_visible='无焦点' where field_name='dj_no'");
    f.ds.requery();
    DisGrid("f_jijm", "王五", &f.source, f.db.conn(), &f.grid);
    f.grid.setFooterSums(true);
    EXPECT_EQ(f.grid.footerFields(), (QStringList{"ip_djjw", "ip_uuld", "jjje", "wt"}));
    EXPECT_EQ(f.grid.footerText(f.grid.columnOfField("dj_no")), "");   // the record number has no total
    EXPECT_EQ(f.grid.footerText(f.grid.columnOfField("wt")), "1.5");    // as the cells: 0.5, 1
    EXPECT_EQ(f.grid.gridModel()->cellText(0, f.grid.columnOfField("wt")), "0.5");
    EXPECT_EQ(f.grid.footerText(f.grid.columnOfField("ip_djjw")), "8.25");

    // "刷新合计": off and on again keeps the choice; laying out again keeps the footer on.
    f.grid.setFooterSums(false);
    EXPECT_EQ(f.grid.footerText(f.grid.columnOfField("jjje")), "");
    f.grid.setFooterSums(true);
    EXPECT_EQ(f.grid.footerText(f.grid.columnOfField("jjje")), "256.00");
    DisGrid("f_jijm", "王五", &f.source, f.db.conn(), &f.grid);
    EXPECT_TRUE(f.grid.footerSums());
    EXPECT_EQ(f.grid.footerText(f.grid.columnOfField("ip_uuld")), "158");
}

TEST(DataGrid, OwnerDrawnCellsProgressColumnAndPicture)
{
    GridFixture f;
    f.grid.setCheckBoxes(true);
    f.grid.setFooterSums(true);
    f.grid.insertColumn(3, wage::GridColumn{QString(), "进度", 90});
    const int progress = 3;
    EXPECT_EQ(f.grid.column(progress).caption, "进度");
    EXPECT_EQ(f.grid.columnOfField("ry_name"), 4);
    f.grid.setProgressHook(progress, [&f](int row) {
        return wage::progressCellFor(f.ds.value(row, f.ds.fieldIndex("ip_uuld")).toDouble() / 80.0);
    });
    f.grid.setCellStyleHook([&f](int row, int, wage::CellStyle *s) {
        if (TrimText(f.ds.value(row, f.ds.fieldIndex("locked")).toString()).isEmpty())
            return false;
        s->background = QColor(0xA6, 0xCA, 0xF0);
        s->foreground = Qt::red;
        return true;
    });
    EXPECT_EQ(f.grid.gridModel()->cellText(0, progress), "125%");
    EXPECT_EQ(f.grid.gridModel()->cellText(3, progress), "10%");
    const wage::ProgressCell p = wage::progressCellFor(0.75);
    EXPECT_EQ(p.percent, 75);
    EXPECT_EQ(p.bar, QColor(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(wage::progressCellFor(1.5).percent, 100);
    EXPECT_EQ(wage::progressCellFor(0.25).bar, QColor(0xFF, 0xFF, 0x00));

    f.ds.setTicked(0, true);
    f.ds.setTicked(2, true);
    f.grid.setFrozenCols(2);
    f.grid.resize(1000, 220);
    QCoreApplication::processEvents();
    QDir().mkpath(WAGE_KIT_SHOTS_DIR);
    const QImage shot = f.grid.grab().toImage();
    EXPECT_TRUE(shot.save(QStringLiteral(WAGE_KIT_SHOTS_DIR) + "/datagrid.png"));
    // The locked row is drawn in its colour.
    const QRect cell = f.grid.view()->visualRect(f.grid.gridModel()->index(2, f.grid.gridModel()->viewColumn(6)));
    const QPoint at = f.grid.view()->viewport()->mapTo(&f.grid, cell.center() + QPoint(0, 0));
    EXPECT_EQ(shot.pixelColor(at.x() - cell.width() / 2 + 2, at.y()), QColor(0xA6, 0xCA, 0xF0));
}

TEST(DataGrid, VerticalGridShowsTheCurrentRecord)
{
    GridFixture f;
    wage::DataVertGrid vert;
    DisVertGrid("f_jijm", "王五", &f.source, f.db.conn(), &vert);
    QStringList captions;
    for (const wage::VertRow &r : vert.rows())
        captions << r.caption;
    EXPECT_FALSE(captions.contains("单号"));
    EXPECT_EQ(captions.first(), "日期");
    EXPECT_EQ(vert.valueText("ry_name"), "张三");
    f.ds.moveTo(2);
    EXPECT_EQ(vert.valueText("ry_name"), "O'Neil");
    f.ds.setValue("ry_name", "改名");
    EXPECT_EQ(vert.valueText("ry_name"), "改名");
}
