// The batch entry window inside the host's f_juar module, with the built Alert.dll computing
// the registry formulas and answering the record limit.
#include "wagehostfixture.h"

#include "batchpiece/tplxzform.h"
#include "batchpiece/workersearch.h"

#include "db/dataset.h"
#include "kit/tmsnpopup.h"
#include "kit/tradiogroup.h"

#include <QHeaderView>
#include <QSet>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

using namespace wagetest;
using batchpiece::findWorker;
using batchpiece::nameInitials;
using batchpiece::WorkerItem;

TEST(BatchpieceTest, InitialsFollowTheLevelOneTable)
{
    const struct {
        const char *name, *initials;
    } cases[] = {
        {"张三", "ZS"}, {"阿明", "AM"}, {"李a四", "LaS"}, {"吕1", "L1"},
        {"啊座", "AZ"},   // first and last character of the table
        {"赵赟", "Z "},   // a level-2 character has no initial
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(nameInitials(QString::fromUtf8(c.name)), QString::fromUtf8(c.initials)) << c.name;
}

TEST(BatchpieceTest, QuickSearchComparesWholeNumbersNamesAndInitials)
{
    QList<WorkerItem> items;
    for (const char *text : {"001,李四", "002,王五", "003,张三", "011,张山", "ZS,赵赟"})
        items << batchpiece::workerItem(QString::fromUtf8(text));
    const struct {
        const char *text;
        int row;
    } cases[] = {
        {"003", 2}, {"张三", 2}, {"zs", 2}, {"ZS", 4},   // a number matches before initials
        {"ls", 0},  {"Z ", 4},   {"00", -1}, {"张", -1}, {"03", -1}, {"王", -1}, {"", -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(findWorker(items, QString::fromUtf8(c.text)), c.row) << c.text;
}

namespace {

struct Batch {
    Batch()
    {
        host.installAlert();
        for (const char *w : {"('003','张三','一车间')", "('001','李四','一车间')", "('002','王五','二车间')",
                              "('004','阿明','二车间')", "('005','赵赟','二车间')"})
            host.exec(QStringLiteral("insert into f_rfyr (ry_no,ry_name,dept_name) values ") + QString::fromUtf8(w));
        // The template; its amount is deliberately wrong so that the computed one shows.
        host.exec(QStringLiteral("insert into f_juar (riqi,ry_no,ry_name,dept_name,ip_no,ip_name,ip_gvge,gsxu_no,ip_gsxu,ip_djjw,"
                                 "ip_uuld,jjje,bz) values ('2026-03-02','001','李四','一车间','A01','纸箱','大号','G1','开槽',"
                                 "0.5,100,999,'夜班')"));
        records()->requery();
        host.attach(&form, QStringLiteral("f_juar"));
        form.FillWorkers();
    }
    wage::Dataset *records() { return host.module(QStringLiteral("f_juar"))->master; }
    int count() const { return host.scalar(QStringLiteral("select count(*) from f_juar")).toInt(); }
    void tick(const QStringList &numbers)
    {
        for (int i = 0; i < form.CheckListBox1->count(); ++i)
            if (numbers.contains(form.workers().at(i).number))
                form.CheckListBox1->item(i)->setCheckState(Qt::Checked);
    }
    QStringList listed() const
    {
        QStringList out;
        for (int i = 0; i < form.CheckListBox1->count(); ++i)
            out << form.CheckListBox1->item(i)->text();
        return out;
    }
    int tickedCount() const
    {
        int n = 0;
        for (int i = 0; i < form.CheckListBox1->count(); ++i)
            n += form.CheckListBox1->item(i)->checkState() == Qt::Checked ? 1 : 0;
        return n;
    }

    WageHost host;
    TPlxzForm form;
};

} // namespace

TEST(BatchpieceTest, WorkerListIsInPinyinOrderOfTheNames)
{
    Batch b;
    EXPECT_EQ(b.listed().join(QLatin1Char('|')).toStdString(), "004,阿明|001,李四|002,王五|003,张三|005,赵赟");
}

TEST(BatchpieceTest, SortChangeDropsTicksAndSearchMovesTheCurrentItem)
{
    Batch b;
    b.tick({QStringLiteral("002"), QStringLiteral("003")});
    b.form.RadioGroup2->setItemIndex(0);
    EXPECT_EQ(b.listed().first(), QStringLiteral("001,李四"));
    EXPECT_EQ(b.listed().last(), QStringLiteral("005,赵赟"));
    EXPECT_EQ(b.tickedCount(), 0);

    // The selection bar: all, none, inverse.
    b.tick({QStringLiteral("002")});
    emit b.form.HeaderControl2->sectionClicked(2);
    EXPECT_EQ(b.tickedCount(), 4);
    emit b.form.HeaderControl2->sectionClicked(0);
    EXPECT_EQ(b.tickedCount(), 5);
    emit b.form.HeaderControl2->sectionClicked(1);
    EXPECT_EQ(b.tickedCount(), 0);

    // Quick search moves the current item without ticking it.
    b.form.Edit1->setText(QStringLiteral("zs"));
    EXPECT_EQ(b.form.CheckListBox1->currentItem()->text(), QStringLiteral("003,张三"));
    b.form.Edit1->setText(QStringLiteral("00"));
    EXPECT_EQ(b.form.CheckListBox1->currentItem()->text(), QStringLiteral("003,张三"));
    EXPECT_EQ(b.tickedCount(), 0);
}

TEST(BatchpieceTest, BatchAddsOneComputedRecordPerTickedWorker)
{
    Batch b;
    const int templateNo = b.records()->value(QStringLiteral("dj_no")).toInt();
    b.tick({QStringLiteral("002"), QStringLiteral("004")});
    b.form.SpeedButton1->click();

    ASSERT_EQ(b.host.prompt.shown.size(), 1) << b.host.prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(b.host.prompt.shown.first().kind, wage::PromptKind::Question);
    EXPECT_EQ(b.host.prompt.shown.first().text, QStringLiteral("确定以2026-03-02 \"李四\" 的\r计件产量为依据连续新增吗?"));
    EXPECT_EQ(b.form.MSNPopUp1->Text, QStringLiteral(" 批量更新完成。"));
    EXPECT_EQ(b.form.MSNPopUp1->Title, QStringLiteral("提示："));

    const wage::QueryResult r = b.host.db()->query(QStringLiteral(
        "select dj_no,ry_no,ry_name,dept_name,riqi,ip_no,ip_name,gsxu_no,ip_uuld,ip_djjw,jjje,bz from f_juar "
        "where dj_no<>") + QString::number(templateNo) + QStringLiteral(" order by ry_no"));
    ASSERT_EQ(r.rows.size(), 2);
    const struct {
        const char *no, *name, *dept;
    } expected[] = {{"002", "王五", "二车间"}, {"004", "阿明", "二车间"}};
    QSet<int> numbers{templateNo};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r.value(i, QStringLiteral("ry_no")).toString(), QString::fromUtf8(expected[i].no));
        EXPECT_EQ(r.value(i, QStringLiteral("ry_name")).toString(), QString::fromUtf8(expected[i].name));
        EXPECT_EQ(r.value(i, QStringLiteral("dept_name")).toString(), QString::fromUtf8(expected[i].dept));
        EXPECT_TRUE(r.value(i, QStringLiteral("riqi")).toString().startsWith(QStringLiteral("2026-03-02")));
        EXPECT_EQ(r.value(i, QStringLiteral("ip_name")).toString(), QStringLiteral("纸箱"));
        EXPECT_EQ(r.value(i, QStringLiteral("gsxu_no")).toString(), QStringLiteral("G1"));
        EXPECT_DOUBLE_EQ(r.value(i, QStringLiteral("ip_uuld")).toDouble(), 100);
        EXPECT_DOUBLE_EQ(r.value(i, QStringLiteral("jjje")).toDouble(), 50) << "数量*单价 computed by Alert.dll";
        EXPECT_EQ(r.value(i, QStringLiteral("bz")).toString(), QStringLiteral("夜班"));
        numbers.insert(r.value(i, QStringLiteral("dj_no")).toInt());
    }
    EXPECT_EQ(numbers.size(), 3) << "dj_no is the table's own, never the template's";
    EXPECT_EQ(b.records()->recordCount(), 3) << "the host's grid shows the new records";
}

TEST(BatchpieceTest, NothingTickedOrNoAnswerAddsNothing)
{
    Batch b;
    b.form.SpeedButton1->click();
    EXPECT_EQ(b.count(), 1);
    EXPECT_EQ(b.form.MSNPopUp1->Text, QStringLiteral(" 批量更新完成。"));

    Batch c;
    c.tick({QStringLiteral("002")});
    c.host.prompt.answers = {false};
    c.form.SpeedButton1->click();
    EXPECT_EQ(c.count(), 1);
    EXPECT_EQ(c.host.prompt.shown.size(), 1);
    EXPECT_TRUE(c.form.MSNPopUp1->Text.isEmpty());
    EXPECT_EQ(c.records()->state(), wage::Dataset::Browse);
}

TEST(BatchpieceTest, RecordLimitPartWayLeavesNoHalfBatch)
{
    Batch b;
    // One more record is allowed; three are ticked.
    b.host.dir.write(QStringLiteral("Usertem.ini"), "[Alert]\r\nDataLimit=2\r\n");
    b.tick({QStringLiteral("001"), QStringLiteral("002"), QStringLiteral("003")});
    b.form.SpeedButton1->click();
    EXPECT_EQ(b.count(), 1);
    EXPECT_EQ(b.records()->recordCount(), 1);
    EXPECT_EQ(b.records()->state(), wage::Dataset::Browse);
    ASSERT_EQ(b.host.prompt.shown.size(), 2);
    EXPECT_EQ(b.host.prompt.shown.last().kind, wage::PromptKind::Warning);
    EXPECT_TRUE(b.host.prompt.shown.last().text.contains(QStringLiteral("上限")));
    EXPECT_TRUE(b.host.prompt.shown.last().text.contains(QStringLiteral("没有新增任何记录")));
    EXPECT_TRUE(b.form.MSNPopUp1->Text.isEmpty());

    // With room for all three the same batch goes through.
    b.host.dir.write(QStringLiteral("Usertem.ini"), "[Alert]\r\nDataLimit=4\r\n");
    b.form.SpeedButton1->click();
    EXPECT_EQ(b.count(), 4);
}

TEST(BatchpieceTest, LockedDatabaseLeavesNoHalfBatch)
{
    Batch b;
    b.tick({QStringLiteral("001"), QStringLiteral("002")});
    wage::Connection other;
    other.openFile(b.host.dir.file(QStringLiteral("f_data.mdb")), wage::Dialect::Access);
    other.beginTransaction();
    other.execute(QStringLiteral("insert into f_juar (bz) values ('另一台电脑')"));
    b.host.db()->setLockTimeout(200);
    b.form.SpeedButton1->click();
    other.rollback();
    EXPECT_EQ(b.count(), 1);
    EXPECT_EQ(b.records()->recordCount(), 1);
    ASSERT_FALSE(b.host.prompt.shown.isEmpty());
    EXPECT_TRUE(b.host.prompt.shown.last().text.contains(QStringLiteral("001 李四"))) << b.host.prompt.shown.last().text.toStdString();
    EXPECT_TRUE(b.host.prompt.shown.last().text.contains(QStringLiteral("撤销")));
    EXPECT_FALSE(b.host.db()->inTransaction());
}

TEST(BatchpieceTest, EachBatchReadsTheWorkersAndFormulasAfresh)
{
    // What a batch keeps while it runs must not outlive it: changes made between two batches
    // in the same window show in the second one.
    Batch b;
    b.tick({QStringLiteral("002")});
    b.form.SpeedButton1->click();
    b.host.exec(QStringLiteral("update f_rfyr set dept_name='三车间' where ry_no='002'"));
    b.host.exec(QStringLiteral("update f_system set Field_jsgs='数量*单价*2' where table_name='f_juar' and field_name='jjje'"));
    b.records()->first();
    b.form.SpeedButton1->click();
    const wage::QueryResult r = b.host.db()->query(
        QStringLiteral("select dept_name,jjje from f_juar where ry_no='002' order by dj_no"));
    ASSERT_EQ(r.rows.size(), 2);
    EXPECT_EQ(r.value(0, QStringLiteral("dept_name")).toString(), QStringLiteral("二车间"));
    EXPECT_DOUBLE_EQ(r.value(0, QStringLiteral("jjje")).toDouble(), 50);
    EXPECT_EQ(r.value(1, QStringLiteral("dept_name")).toString(), QStringLiteral("三车间"));
    EXPECT_DOUBLE_EQ(r.value(1, QStringLiteral("jjje")).toDouble(), 100);

    // A formula changed by another program is seen too.
    wage::Connection other;
    other.openFile(b.host.dir.file(QStringLiteral("f_data.mdb")), wage::Dialect::Access);
    other.execute(QStringLiteral("update f_system set Field_jsgs='数量*单价*3' where table_name='f_juar' and field_name='jjje'"));
    b.records()->first();
    b.form.SpeedButton1->click();
    EXPECT_DOUBLE_EQ(b.host.scalar(QStringLiteral("select max(jjje) from f_juar where ry_no='002'")).toDouble(), 150);
}

TEST(BatchpieceTest, RegistryFormulasAndTheirErrors)
{
    // Template: 数量 100, 单价 0.5, 金额 999. A formula that cannot be computed is reported,
    // the record keeps what was copied and the batch goes on.
    const struct {
        const char *formula;
        double amount;
        const char *error;
    } cases[] = {
        {"数量*单价", 50, nullptr},
        {"(数量+单价)*2-数量/单价", 1, nullptr},
        {"ip_uuld * 2 + -单价", 199.5, nullptr},
        {"数量*折扣", 999, "折扣"},
        {"数量/(单价-0.5)", 999, "除数为零"},
        {"数量*(单价", 999, "括号"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.formula);
        Batch b;
        b.host.exec(QStringLiteral("update f_system set Field_jsgs='%1' where table_name='f_juar' and field_name='jjje'")
                        .arg(QString::fromUtf8(c.formula)));
        b.tick({QStringLiteral("002"), QStringLiteral("003")});
        b.form.SpeedButton1->click();
        EXPECT_EQ(b.count(), 3);
        const wage::QueryResult r = b.host.db()->query(QStringLiteral("select jjje from f_juar where ry_no<>'001'"));
        ASSERT_EQ(r.rows.size(), 2);
        for (const QVariantList &row : r.rows)
            EXPECT_DOUBLE_EQ(row.value(0).toDouble(), c.amount);
        int errors = 0;
        for (const wage::PromptRecord &p : b.host.prompt.shown)
            errors += p.kind == wage::PromptKind::Error ? 1 : 0;
        EXPECT_EQ(errors, c.error ? 2 : 0) << b.host.prompt.texts().join(QLatin1Char('|')).toStdString();
        if (c.error)
            EXPECT_TRUE(b.host.prompt.shown.last().text.contains(QString::fromUtf8(c.error)));
        EXPECT_EQ(b.form.MSNPopUp1->Text, QStringLiteral(" 批量更新完成。"));
    }
}
