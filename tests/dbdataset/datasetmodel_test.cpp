// The grid model over a dataset, with a real table view on the offscreen platform.
#include "db/connection.h"
#include "core/prompt.h"
#include "db/datasetmodel.h"

#include "testdir.h"

#include <QSignalSpy>
#include <QTableView>
#include <gtest/gtest.h>

using namespace wage;

TEST(DatasetModel, ShowsEditsAndFollowsTheCurrentRecord)
{
    wagetest::ProgramDirFixture dir;
    Connection c;
    c.openFile(dir.file("w.db"), Dialect::Access);
    c.execute("create table f_rfyr (ry_no varchar(10) primary key, ry_name varchar(20), Day_Salary money, riqi datetime)");
    c.execute("insert into f_rfyr values ('003', '王芳', 120, '2026-05-01')");
    c.execute("insert into f_rfyr values ('001', '张伟', 150.5, '2026-05-02 07:45:00')");
    c.execute("insert into f_rfyr values ('002', '李娜', NULL, NULL)");

    Dataset ds(&c, "select * from f_rfyr");
    DataSource source(&ds);
    DatasetModel model;
    model.setDataSource(&source);
    ds.open();
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 4);
    model.setHeaderCaption("RY_NAME", "员工姓名");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "员工姓名");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "ry_no");
    EXPECT_EQ(model.data(model.index(1, 2)).toString(), "150.50");
    EXPECT_EQ(model.data(model.index(0, 3)).toString(), "2026-05-01");
    EXPECT_EQ(model.data(model.index(1, 3)).toString(), "2026-05-02 07:45:00");
    EXPECT_EQ(model.data(model.index(2, 2)).toString(), "");
    EXPECT_EQ(model.data(model.index(0, 2), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);

    QTableView view;
    view.setModel(&model);
    model.linkView(&view);
    view.show();

    // Dataset to view, and view to dataset.
    ds.moveTo(2);
    EXPECT_EQ(view.currentIndex().row(), 2);
    view.setCurrentIndex(model.index(1, 1));
    EXPECT_EQ(ds.recNo(), 2);
    EXPECT_EQ(ds.value("ry_no").toString(), "001");

    // An edit in the grid is written through the dataset.
    ASSERT_TRUE(model.setData(model.index(0, 1), "王芳芳"));
    EXPECT_EQ(ds.state(), Dataset::Browse);
    EXPECT_EQ(c.query("select ry_name from f_rfyr where ry_no='003'").rows[0][0].toString(), "王芳芳");
    EXPECT_EQ(view.currentIndex().row(), 0);

    // Title-click sort reorders rows and keeps the current record.
    model.sort(0);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "001");
    EXPECT_EQ(ds.value("ry_no").toString(), "003");
    EXPECT_EQ(view.currentIndex().row(), 2);

    // Ticks through the check box of the first column.
    model.setCheckable(true);
    ASSERT_TRUE(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(ds.tickedRows(), QList<int>({1}));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));

    // Disabled controls: the model stands still, then resets once.
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    ds.disableControls();
    ds.append();
    ds.setValue("ry_no", "004");
    ds.post();
    ds.first();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(view.currentIndex().row(), 2);
    EXPECT_EQ(resets.size(), 0);
    ds.enableControls();
    EXPECT_EQ(resets.size(), 1);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(view.currentIndex().row(), 0);

    // A refused edit is dropped and explained.
    ScopedScriptedPrompt prompt;
    c.execute("create unique index ux on f_rfyr (ry_name)");
    EXPECT_FALSE(model.setData(model.index(1, 1), "张伟"));
    EXPECT_EQ(ds.state(), Dataset::Browse);
    EXPECT_EQ(prompt.shown.size(), 1);

    // Another dataset on the same source replaces the rows; closing empties the grid.
    Dataset other(&c, "select ry_no from f_rfyr where ry_no='001'");
    other.open();
    source.setDataSet(&other);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 1);
    other.close();
    EXPECT_EQ(model.rowCount(), 0);
}
