#include "core/strutil.h"
#include "core/wageerror.h"

#include <gtest/gtest.h>

#include <memory>

TEST(GetStringList, SplitsKeepsOrDropsEmptyItems)
{
    struct Case { const char *sep; const char *text; int mode; QStringList want; };
    const Case cases[] = {
        {",", "a, b,,c", 0, {"a", "b", "", "c"}},
        {",", "a, b,,c", 1, {"a", "b", "c"}},
        {";", "a;;b;", 1, {"a", "b"}},
        {";", "a;;b;", 0, {"a", "", "b", ""}},
        {",", "", 0, {""}},
        {",", "", 1, {}},
        {",", "  whole  ", 0, {"whole"}},
        {",", "a,b", 2, {}},
        {"#", "MSSQL#host,1433#db", 0, {"MSSQL", "host,1433", "db"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetStringList(QString::fromUtf8(c.sep), QString::fromUtf8(c.text), c.mode), c.want)
            << c.text << " mode " << c.mode;
}

TEST(Getsub, SidesAndMissingSeparator)
{
    EXPECT_EQ(getsub(" a = b ", "=", "left"), "a");
    EXPECT_EQ(getsub(" a = b ", "=", "right"), "b");
    EXPECT_EQ(getsub(" a = b ", "=", "middle"), "");
    EXPECT_EQ(getsub(" a = b ", "=", "Left"), "");
    EXPECT_EQ(getsub("  no separator ", "=", "left"), "  no separator ");
    EXPECT_EQ(getsub("http://host:80/x", "//", "right"), "host:80/x");
    EXPECT_EQ(getsub("a=b=c", "=", "right"), "b=c");
}

TEST(ReplaceStr, ReplacesEveryOccurrenceCaseSensitively)
{
    EXPECT_EQ(ReplaceStr("a-b-c", "-", ""), "abc");
    EXPECT_EQ(ReplaceStr("Ab ab AB", "ab", "x"), "Ab x AB");
    EXPECT_EQ(ReplaceStr("aaa", "a", "b"), "bbb");
    EXPECT_EQ(ReplaceStr("abc", "", "x"), "abc");
    // A careless call whose new text contains the old one still ends.
    EXPECT_EQ(ReplaceStr("a.b", ".", ".."), "a..b");
    // An occurrence formed across the join is replaced too while the text shrinks ...
    EXPECT_EQ(ReplaceStr("aab", "ab", "b"), "b");
    // ... and cannot make the call run forever when it grows.
    EXPECT_EQ(ReplaceStr("..x", ".x", "xx.."), ".xx..");
}

TEST(IsNewerVersion, ComparesNumericallyPartByPart)
{
    struct Case { const char *a; const char *b; bool newer; };
    const Case cases[] = {
        {"4.40.1.12", "4.40.1.9", true},
        {"4.40.1.9", "4.40.1.12", false},
        {"4.40.1.9", "4.40.1.9", false},
        {"4.40.0.1", "4.5.0.1", true},
        {"", "4.40.1.9", false},
        {"5.0.0.0", "4.99.99.99", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsNewerVersion(c.a, c.b), c.newer) << c.a << " vs " << c.b;
}

TEST(IsNewerVersion, MissingOrNonNumericPartFails)
{
    EXPECT_THROW(IsNewerVersion("4.40", "4.40.1.2"), WageError);
    EXPECT_THROW(IsNewerVersion("4.40.x.1", "4.40.1.2"), WageError);
    EXPECT_THROW(IsNewerVersion("4.40.1.1", "garbage"), WageError);
    // A difference before the missing part decides without touching it.
    EXPECT_TRUE(IsNewerVersion("5.1", "4.40.1.2"));
}

TEST(StrToPch, GbkBytesWithTerminator)
{
    std::unique_ptr<char[]> p(StrToPch(QStringLiteral("选项设置,f_jijm")));
    EXPECT_STREQ(p.get(), "\xD1\xA1\xCF\xEE\xC9\xE8\xD6\xC3,f_jijm");
    std::unique_ptr<char[]> e(StrToPch(QString()));
    EXPECT_STREQ(e.get(), "");
}
