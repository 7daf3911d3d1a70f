#include "core/textorder.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>

namespace {

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

TEST(TextOrder, DigitsAndLettersBeforeChineseByPinyin)
{
    QStringList names{QStringLiteral("高超"), QStringLiteral("陈秀兰"), QStringLiteral("何桂英"),
                      QStringLiteral("陈军刚"), QStringLiteral("黄磊"), QStringLiteral("陈军"),
                      QStringLiteral("刘洋"), QStringLiteral("周杰"), QStringLiteral("Zhou"),
                      QStringLiteral("abc"), QStringLiteral("9")};
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return wage::compareText(a, b) < 0; });
    EXPECT_EQ(names.join(','), QStringLiteral("9,abc,Zhou,陈军,陈军刚,陈秀兰,高超,何桂英,黄磊,刘洋,周杰"));
}

TEST(TextOrder, EqualityIgnoresCaseAndTrailingBlanksBothForms)
{
    struct Case { const char *a, *b; int expected; } cases[] = {
        {"a1", "A1 ", 0}, {"abc", "ABC", 0}, {"", "   ", 0}, {"a", "b", -1},
        {"B", "a", 1}, {"a b", "ab", -1}, {"陈军", "陈军  ", 0}, {"陈", "高", -1},
        {"@", "`", 2}, // differ by the case bit but are not letters: unequal, either order
    };
    for (const Case &c : cases) {
        const QByteArray a(c.a), b(c.b);
        EXPECT_EQ(sign(wage::compareTextUtf8(a.constData(), int(a.size()), b.constData(), int(b.size()))),
                  sign(wage::compareText(QString::fromUtf8(a), QString::fromUtf8(b))))
            << c.a << " vs " << c.b;
        const int got = sign(wage::compareText(QString::fromUtf8(a), QString::fromUtf8(b)));
        if (c.expected == 2)
            EXPECT_NE(got, 0) << c.a << " vs " << c.b;
        else
            EXPECT_EQ(got, c.expected) << c.a << " vs " << c.b;
    }
}

TEST(TextOrder, SortKeysOrderAsTheComparison)
{
    const QStringList texts{QStringLiteral("周杰"), QStringLiteral("abc "), QStringLiteral("ABD"),
                            QStringLiteral("陈军"), QStringLiteral("10"), QStringLiteral("9")};
    for (const QString &a : texts)
        for (const QString &b : texts)
            EXPECT_EQ(sign(wage::textSortKey(a).compare(wage::textSortKey(b))), sign(wage::compareText(a, b)))
                << a.toStdString() << " vs " << b.toStdString();
}

} // namespace
