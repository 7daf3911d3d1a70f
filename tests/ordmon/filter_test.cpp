// The order filter of the window on both dialects: orders in production or warehoused today and
// this month (a process named 包装 marks warehousing), the search, and the remembered item.
#include "ordmonfixture.h"

#include "core/inifile.h"
#include "db/datasource.h"

#include <QDate>
#include <QLineEdit>
#include <QRadioButton>

namespace wagetest {
namespace {

class Filter : public OrdmonFixture, public ::testing::WithParamInterface<wage::Dialect> {
protected:
    QStringList shownOrders()
    {
        wage::Dataset *d = orders->datasource1->dataSet();
        QStringList nos;
        for (int row = 0; row < d->recordCount(); ++row)
            nos.append(d->value(row, d->fieldIndex(QStringLiteral("pc_no"))).toString().trimmed());
        nos.sort();
        return nos;
    }
    QStringList choose(int item)
    {
        control<QRadioButton>(QStringLiteral("RadioGroup1_%1").arg(item).toLatin1().constData())->click();
        return shownOrders();
    }
    void piece(const QString &pcNo, const QString &process, const QDate &day, const QString &time = QString())
    {
        db->execute(QStringLiteral("insert into f_jijm (riqi,pc_no,ip_no,gsxu_no,ip_gsxu,ip_uuld) values (:d,:p,'P1','01',:g,1)"),
                    {{"d", day.toString(Qt::ISODate) + time}, {"p", pcNo}, {"g", process}});
    }
};

TEST_P(Filter, ItemsListTheOrdersOfTheDayAndMonth)
{
    makeDatabase(GetParam());
    const QDate today = QDate::currentDate();
    const QDate earlier = today.day() > 1 ? today.addDays(-1) : today.addMonths(-1);
    for (const char *no : {"A1  ", "B2", "C3", "D4"})
        addOrder(QString::fromLatin1(no));
    exec(QStringLiteral("update f_pici set pc_state='结案' where pc_no='D4'"));
    piece(QStringLiteral("A1"), QStringLiteral("印刷"), today);          // in production today (number padded in f_pici)
    piece(QStringLiteral("B2"), QStringLiteral("成品包装"), today, QStringLiteral(" 23:59:00")); // warehoused today, late
    piece(QStringLiteral("C3"), QStringLiteral("包装"), earlier);        // warehoused earlier
    openMonitor();
    control<QLineEdit>("EditYM")->setText(earlier.toString(QStringLiteral("yyyyMM")));

    EXPECT_EQ(choose(0), QStringList({"A1", "B2", "C3", "D4"}));
    EXPECT_EQ(choose(1), QStringList({"D4"}));
    EXPECT_EQ(choose(2), QStringList({"A1", "B2"}));
    EXPECT_EQ(choose(3), QStringList({"B2"}));
    const bool sameMonth = earlier.month() == today.month();
    EXPECT_EQ(choose(4), sameMonth ? QStringList({"A1", "B2", "C3"}) : QStringList({"C3"}));
    EXPECT_EQ(choose(5), sameMonth ? QStringList({"B2", "C3"}) : QStringList({"C3"}));
    EXPECT_EQ(inistring(QStringLiteral("display"), QStringLiteral("f_pici.Pc_Progress"), QString(), QStringLiteral("Usertem.ini"),
                        QStringLiteral("read")),
              QStringLiteral("5"));
    control<QLineEdit>("LabeledEdit1")->setText(QStringLiteral("B'"));
    click("SpeedButton1");
    EXPECT_TRUE(shownOrders().isEmpty());
    control<QLineEdit>("LabeledEdit1")->setText(QStringLiteral("3"));
    click("SpeedButton1");
    EXPECT_EQ(shownOrders(), QStringList({"C3"}));
    // The search is not remembered.
    EXPECT_EQ(inistring(QStringLiteral("display"), QStringLiteral("f_pici.Pc_Progress"), QString(), QStringLiteral("Usertem.ini"),
                        QStringLiteral("read")),
              QStringLiteral("5"));
}

INSTANTIATE_TEST_SUITE_P(Dialects, Filter, ::testing::Values(wage::Dialect::Access, wage::Dialect::MsSql));

} // namespace
} // namespace wagetest
