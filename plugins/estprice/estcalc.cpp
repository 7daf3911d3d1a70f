#include "estprice/estcalc.h"

#include "core/wageerror.h"

#include <QLocale>

#include <cmath>

namespace estprice {

QString formatNumber(long double value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(static_cast<double>(value), 'g', 15);
    // "1e-05" / "1.5e+20" as "1E-5" / "1.5E20".
    const int e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        const QString mantissa = text.left(e);
        int exponent = text.mid(e + 1).toInt();
        text = mantissa + QLatin1Char('E') + QString::number(exponent);
    }
    return text;
}

long double readNumber(const QString &text)
{
    bool ok = false;
    const QString t = text.trimmed();
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        throw WageError(QStringLiteral("“%1”不是有效的数字。").arg(text));
    return v;
}

namespace {

QString checked(long double v)
{
    if (!std::isfinite(static_cast<double>(v)))
        throw WageError(QStringLiteral("计算结果超出范围，请检查输入的数字。"));
    return formatNumber(v);
}

} // namespace

WageResult estimateWage(int mode, const WageBoxes &b)
{
    WageResult r;
    const long double days = readNumber(b.days), hours = readNumber(b.hours), rate = readNumber(b.rate);
    if (mode == FromPrice) {
        r.wage = checked(days * hours * rate * readNumber(b.price));
        return r;
    }
    const long double work = days * hours * rate;
    if (work == 0) {
        r.note = QStringLiteral("月平均工作天数、日工作小时数、小时平均工作量都不能为0，工序计件单价未计算。");
        return r;
    }
    r.price = checked(readNumber(b.wage) / work);
    return r;
}

QString initialCartonCaption()
{
    return QStringLiteral("纸箱估价（长+宽+160）×（宽÷2 +高+40）×2×单价÷1.17");
}

std::optional<CartonResult> cartonEstimate(int product, const QString &lt, const QString &wt, const QString &ht,
                                           const QString &pt, bool taxExclusive)
{
    if (product < 0 || product > 4)
        return std::nullopt;
    const long double l = readNumber(lt), w = readNumber(wt), h = readNumber(ht), p = readNumber(pt);
    long double e = 0;
    QString formula;
    switch (product) {
    case 0:
        e = (l + w + 160) * (w / 2 + h + 40) * 2 * p;
        formula = QStringLiteral("估价:（长+宽+160）×（宽/2 +高+40）×2×单价÷1.17");
        break;
    case 1:
        e = (l + w + 40) * (h + 40) * 2 * p;
        formula = QStringLiteral("估价:(长+ 宽+40）×（高+40）×2×单价÷1.17");
        break;
    case 2:
        e = (l + h * 2 + 40) * (w + h * 2 + 40) * p;
        formula = QStringLiteral("估价:（长+高×2+40)×（宽+高×2+40)×单价÷1.17");
        break;
    case 3:
        e = (l + h * 2 + 80) * (w + h * 2 + 80) * p;
        formula = QStringLiteral("估价:（长+高×2+80)×（宽+高×2+80)×单价÷1.17");
        break;
    default:
        e = l * w * p;
        formula = QStringLiteral("估价:长×宽×单价÷1.17");
        break;
    }
    if (taxExclusive)
        e = e / 1.17L;
    return CartonResult{checked(e), QString::fromUtf8(kCartonProducts[product]) + formula};
}

CuttingResult cutting(int category, int kind, const QString &lt, const QString &wt, const QString &ht, const QString &qt)
{
    CuttingResult r;
    if (category < 0 || category > 4)
        return r;
    const QString categoryText = QString::fromUtf8(kCuttingCategories[category]);
    const QString kindText = kind >= 0 && kind < 4 ? QString::fromUtf8(kCuttingKinds[kind]) : QString();
    QString formula;
    try {
        auto L = [&] { return readNumber(lt); };
        auto W = [&] { return readNumber(wt); };
        auto H = [&] { return readNumber(ht); };
        auto Q = [&] { return readNumber(qt); };
        if (category == 0 || category == 1) {
            const bool five = category == 0;
            switch (kind) {
            case 0:
                formula = five ? QStringLiteral("（长+50）“×”（宽1/2 +高+15）×2") : QStringLiteral("（长+60）“×”（宽1/2 +高+25）×2");
                r.first = checked(L() + (five ? 50 : 60));
                r.second = checked(W() / 2 + H() + (five ? 15 : 25));
                r.count = checked(Q() * 2);
                break;
            case 1:
                formula = five ? QStringLiteral("（宽+50）“×\"（高 +180）×2") : QStringLiteral("（宽+60）“×”（高 +180）×2");
                r.first = checked(W() + (five ? 50 : 60));
                r.second = checked(H() + 180);
                r.count = checked(Q() * 2);
                break;
            case 2:
                formula = five ? QStringLiteral("（高+5）") : QStringLiteral("（高+10）");
                r.count = checked(H() + (five ? 5 : 10));
                break;
            case 3:
                formula = QStringLiteral("（高-200）÷2 ");
                r.count = checked((H() - 200) / 2);
                break;
            default:
                break;
            }
            r.label = categoryText + kindText + formula;
        } else if (category == 2) {
            formula = QStringLiteral("（长+宽+40）“× ” 高×2");
            r.label = categoryText + formula;
            r.first = checked(L() + W() + 40);
            r.second = ht;
            r.count = checked(Q() * 2);
        } else if (category == 3) {
            formula = kind == 0 ? QStringLiteral("（长+40）“×”高  ×2") : QStringLiteral("(宽+40）“×”高   ×2");
            r.label = categoryText + kindText + formula;
            r.first = checked(kind == 0 ? L() + 40 : W() + 40);
            r.second = ht;
            r.count = checked(Q() * 2);
        } else {
            formula = QStringLiteral("（长+高×2）×（宽+高×2）");
            r.label = categoryText + formula;
            r.first = checked(L() + H() * 2);
            r.second = checked(W() + H() * 2);
            r.count = qt;
        }
    } catch (const WageError &e) {
        r.error = e.message();
        if (r.label.isEmpty())
            r.label = categoryText + kindText + formula;
    }
    return r;
}

} // namespace estprice
