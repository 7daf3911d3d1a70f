// Database errors met while the user works a grid or a navigator bar: a new record whose NOT
// NULL column is still empty is posted by a row change, a title click, a cell edit on another
// row or a navigator move. The database's message is shown and logged, the record keeps its
// pending edit for correction, and the process goes on.
#include "core/handlerguard.h"
#include "core/prompt.h"
#include "core/textcodec.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/gridmodel.h"
#include "kit/tmynavigator.h"
#include "kitdb.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

using namespace kittest;

namespace {

struct MustFixture {
    KitDb db;
    wage::Dataset ds{db.conn(), "select * from f_must order by id"};
    wage::DataSource source{&ds};
    wage::DataGrid grid;
    TMyNavigator nav{{"首条", "下条", "刷新"}, &grid};
    QStringList clicks;
    MustFixture()
    {
        db.exec("create table f_must (id integer primary key, name nvarchar(20) not null, qty int)");
        db.exec("insert into f_must values (1, '甲', 5)");
        db.exec("insert into f_must values (2, '乙', 7)");
        ds.open();
        grid.setDataSource(&source);
        grid.setColumns({wage::GridColumn{"name", "名称"}, wage::GridColumn{"qty", "数量", 80, true, false, true}});
        nav.setGrid(&grid);
        grid.resize(400, 200);
        grid.show();
        QObject::connect(&nav, &TMyNavigator::Click, [this](const QString &c) { clicks << c; });
        QCoreApplication::processEvents();
    }
    // A new record with its name left empty, as after the host's 新增.
    void appendWithoutName()
    {
        ds.append();
        ds.setValue("qty", 9);
        QCoreApplication::processEvents();
    }
    void clickTitle(int gridColumn)
    {
        QHeaderView *h = grid.view()->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(grid.gridModel()->viewColumn(gridColumn)) + 5, 5));
    }
    void editCell(int row, int gridColumn, const QString &text)
    {
        const QModelIndex index = grid.gridModel()->index(row, grid.gridModel()->viewColumn(gridColumn));
        QAbstractItemDelegate *delegate = grid.view()->itemDelegate();
        QStyleOptionViewItem option;
        QWidget *editor = delegate->createEditor(grid.view()->viewport(), option, index);
        ASSERT_NE(qobject_cast<QLineEdit *>(editor), nullptr);
        static_cast<QLineEdit *>(editor)->setText(text);
        delegate->setModelData(editor, grid.gridModel(), index);
        delete editor;
    }
};

} // namespace

TEST(DatabaseErrors, RefusedPostStaysInsideGridAndNavigator)
{
    MustFixture f;
    struct Trigger { const char *what; std::function<void(MustFixture &)> act; } triggers[] = {
        {"row change", [](MustFixture &m) { m.grid.view()->setCurrentIndex(m.grid.gridModel()->index(0, 0)); }},
        {"title click", [](MustFixture &m) { m.clickTitle(1); }},
        {"cell edit on another row", [](MustFixture &m) { m.editCell(0, 1, "3"); }},
        {"navigator move", [](MustFixture &m) { m.nav.button("首条")->click(); }},
        {"navigator refresh", [](MustFixture &m) { m.nav.button("刷新")->click(); }},
    };
    f.appendWithoutName();
    for (const Trigger &t : triggers) {
        SCOPED_TRACE(t.what);
        wage::ScopedScriptedPrompt prompt;
        t.act(f);
        QCoreApplication::processEvents();
        ASSERT_EQ(prompt.shown.size(), 1) << prompt.texts().join('|').toStdString();
        EXPECT_EQ(prompt.shown[0].kind, wage::PromptKind::Error);
        EXPECT_TRUE(prompt.shown[0].text.contains("NOT NULL", Qt::CaseInsensitive)) << prompt.shown[0].text.toStdString();
        // The new record and its value wait for correction; the cursor stays on it.
        EXPECT_EQ(f.ds.state(), wage::Dataset::Insert);
        EXPECT_EQ(f.ds.value("qty").toInt(), 9);
        EXPECT_EQ(f.ds.currentRow(), 2);
        EXPECT_EQ(f.grid.view()->currentIndex().row(), 2);
        EXPECT_TRUE(f.grid.sortText().isEmpty());
        EXPECT_TRUE(f.clicks.isEmpty());
        EXPECT_EQ(GetSqli("select count(*) from f_must", f.db.conn()), 2);
    }
    EXPECT_TRUE(wage::fromGbk(f.db.read("Error.Log")).contains("NOT NULL", Qt::CaseInsensitive));

    // Corrected, the same moves go through.
    f.ds.setValue("name", "丙");
    {
        wage::ScopedScriptedPrompt prompt;
        f.clickTitle(1);
        f.nav.button("首条")->click();
        EXPECT_TRUE(prompt.shown.isEmpty());
    }
    EXPECT_EQ(f.ds.state(), wage::Dataset::Browse);
    EXPECT_EQ(GetSqlStr("select name from f_must where qty=9", f.db.conn()), "丙");
    EXPECT_EQ(f.grid.sortText(), "qty");
    EXPECT_EQ(f.ds.value("qty").toInt(), 5);
    EXPECT_EQ(f.clicks, QStringList{"首条"});
}

TEST(DatabaseErrors, GuardHandlerShowsLogsAndReportsAnyThrow)
{
    KitDb db;
    wage::ScopedScriptedPrompt prompt;
    EXPECT_TRUE(wage::guardHandler("调整工价", [] {}));
    EXPECT_FALSE(wage::guardHandler("调整工价", [&] { db.exec("insert into no_such_table values (1)"); }));
    EXPECT_FALSE(wage::guardHandler("调整工价", [] { throw 42; }));
    ASSERT_EQ(prompt.shown.size(), 2);
    EXPECT_EQ(prompt.shown[0].caption, "调整工价");
    EXPECT_TRUE(prompt.shown[0].text.contains("no_such_table"));
    EXPECT_EQ(prompt.shown[1].text, "发生未知错误。");
    const QString log = wage::fromGbk(db.read("Error.Log"));
    EXPECT_TRUE(log.contains("no_such_table"));
    EXPECT_TRUE(log.contains("发生未知错误。"));
}
