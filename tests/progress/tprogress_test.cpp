#include "progress/tprogress.h"
#include "progress/tprogress_form.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// Runs pending deletions so that "freed" can be observed.
void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

int openDialogs()
{
    flushDeletes();
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<Tprogress_form *>(w) != nullptr;
    return n;
}
} // namespace

TEST(Tprogress, DialogLayoutAndNames)
{
    QMainWindow main;
    main.setGeometry(100, 100, 800, 600);
    main.show();
    Tprogress progress1(&main);
    progress1.showpress(1, 5, QStringLiteral("正在连接数据库..."));
    Tprogress_form *form = progress1.form();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isModal());
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->size(), QSize(313, 150));
    EXPECT_EQ(form->frameGeometry().center(), main.frameGeometry().center());
    for (const char *name : {"Image1", "mess", "Gauge", "Label1", "Timer1"})
        EXPECT_NE(form->findChild<QObject *>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(form->Image1->geometry(), form->rect());
    EXPECT_EQ(form->mess->text(), QStringLiteral("正在连接数据库..."));
    EXPECT_EQ(form->mess->font().pixelSize(), 13);
    EXPECT_EQ(form->mess->font().families().value(0), QStringLiteral("SimSun"));
    EXPECT_EQ(form->mess->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(form->Gauge->maximum(), 5);
    EXPECT_EQ(form->Gauge->value(), 1);
    EXPECT_TRUE(form->Label1->alignment() & Qt::AlignRight);
    EXPECT_EQ(form->Timer1->interval(), 200);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(Tprogress_form(nullptr).mess->text(), QStringLiteral("提示信息："));
}

TEST(Tprogress, StepsOfFiveCloseAtStepFour)
{
    Tprogress progress;
    QPointer<Tprogress_form> first;
    for (int step = 1; step <= 3; ++step) {
        progress.showpress(step, 5, QStringLiteral("第%1步").arg(step));
        ASSERT_NE(progress.form(), nullptr) << step;
        if (!first)
            first = progress.form();
        EXPECT_EQ(progress.form(), first.data()) << "one dialog for the whole run";
        EXPECT_EQ(progress.form()->Gauge->value(), step);
        EXPECT_EQ(progress.form()->mess->text(), QStringLiteral("第%1步").arg(step));
    }
    progress.showpress(4, 5, QStringLiteral("第4步"));
    EXPECT_EQ(progress.form(), nullptr);
    flushDeletes();
    EXPECT_TRUE(first.isNull()) << "closed and freed";

    // The next call makes a new dialog.
    progress.showpress(1, 3, QStringLiteral("again"));
    EXPECT_NE(progress.form(), nullptr);
    progress.showpress(2, 3, QStringLiteral("again"));   // maximum 3: step 2 already closes
    EXPECT_EQ(progress.form(), nullptr);
    EXPECT_EQ(openDialogs(), 0);
}

TEST(Tprogress, EdgeCases)
{
    Tprogress progress;
    // Position equal to the maximum with no dialog: created, shown and closed in one call.
    progress.showpress(4, 4, QStringLiteral("完成"));
    EXPECT_EQ(progress.form(), nullptr);
    EXPECT_EQ(openDialogs(), 0);

    // Maximum 0: nothing appears, and an existing dialog stays as it is.
    progress.showpress(0, 0, QStringLiteral("nothing"));
    EXPECT_EQ(openDialogs(), 0);
    progress.showpress(2, 10, QStringLiteral("open"));
    Tprogress_form *form = progress.form();
    ASSERT_NE(form, nullptr);
    progress.showpress(9, 0, QStringLiteral("ignored"));
    EXPECT_EQ(progress.form(), form);
    EXPECT_EQ(form->Gauge->value(), 2);
    EXPECT_EQ(form->mess->text(), QStringLiteral("open"));

    // Positions are limited to 0..maximum.
    progress.showpress(-5, 10, QStringLiteral("below"));
    EXPECT_EQ(form->Gauge->value(), 0);
    progress.showpress(50, 100, QStringLiteral("x"));
    progress.showpress(500, 1000, QStringLiteral("x"));
    EXPECT_EQ(form->Gauge->maximum(), 1000);
    EXPECT_EQ(form->Gauge->value(), 500);

    // A position above the maximum shows the maximum, and closes the dialog.
    QPointer<Tprogress_form> watched = form;
    QProgressBar *gauge = form->Gauge;
    int shownMaximum = -1;
    QObject::connect(gauge, &QProgressBar::valueChanged, [&](int v) { shownMaximum = v; });
    progress.showpress(7, 6, QStringLiteral("above"));
    EXPECT_EQ(shownMaximum, 6);
    EXPECT_EQ(progress.form(), nullptr);
    flushDeletes();
    EXPECT_TRUE(watched.isNull());
}

TEST(Tprogress, ClickOnPictureClosesAndNextCallRecreates)
{
    Tprogress progress;
    progress.showpress(1, 10, QStringLiteral("a"));
    QPointer<Tprogress_form> form = progress.form();
    ASSERT_FALSE(form.isNull());
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    flushDeletes();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(progress.form(), nullptr);
    progress.showpress(2, 10, QStringLiteral("b"));
    ASSERT_NE(progress.form(), nullptr);
    EXPECT_EQ(progress.form()->Gauge->value(), 2);
}

TEST(Tprogress, ElapsedLabel)
{
    const struct { qint64 ms; const char *text; } cases[] = {
        {0, "耗时0秒"}, {450, "耗时0.45秒"}, {1200, "耗时1.2秒"}, {3000, "耗时3秒"},
        {1234, "耗时1.234秒"}, {61005, "耗时61.005秒"}, {7, "耗时0.007秒"}};
    for (const auto &c : cases)
        EXPECT_EQ(Tprogress_form::elapsedText(c.ms), QString::fromUtf8(c.text)) << c.ms;

    Tprogress progress;
    progress.showpress(1, 10, QStringLiteral("a"));
    Tprogress_form *form = progress.form();
    ASSERT_NE(form, nullptr);
    QTest::qWait(450);   // two or more ticks of Timer1
    const QString text = form->Label1->text();
    ASSERT_TRUE(text.startsWith(QStringLiteral("耗时")) && text.endsWith(QStringLiteral("秒"))) << text.toStdString();
    bool number = false;
    const double seconds = text.mid(2, text.size() - 3).toDouble(&number);
    EXPECT_TRUE(number);
    EXPECT_GT(seconds, 0.0);
}

// "\r" in a message is a line break, as in message boxes: the text shows on two lines, and
// markup-like text stays plain.
TEST(Tprogress, CarriageReturnBreaksTheLine)
{
    Tprogress progress;
    progress.showpress(1, 5, QStringLiteral("显示表格数据 ....\r      加载订单"));
    Tprogress_form *form = progress.form();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->mess->text(), QStringLiteral("显示表格数据 ....\n      加载订单"));
    EXPECT_EQ(form->mess->textFormat(), Qt::PlainText);
    const int twoLines = form->mess->heightForWidth(form->mess->width());
    progress.showpress(2, 5, QStringLiteral("显示表格数据 ....      加载订单"));
    EXPECT_GT(twoLines, form->mess->heightForWidth(form->mess->width()));
    progress.showpress(1, 5, QStringLiteral("第一行\r\n第二行"));
    EXPECT_EQ(form->mess->text(), QStringLiteral("第一行\n第二行"));
    progress.showpress(5, 5, QString());
}

// A component freed with its owner while its own call processes messages returns cleanly.
TEST(Tprogress, OwnerFreedWhileMessagesRun)
{
    auto *owner = new QObject;
    auto *progress = new Tprogress(owner);
    progress->showpress(1, 5, QStringLiteral("第一步"));
    QTimer::singleShot(0, qApp, [owner] { delete owner; });
    QPointer<Tprogress> alive(progress);
    progress->showpress(2, 5, QStringLiteral("第二步"));   // the owner goes during this call
    flushDeletes();
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(openDialogs(), 0);
}
