#include "formula.h"

#include "core/wageerror.h"

#include <QLocale>

#include <cmath>

namespace alert {

namespace {

class Parser {
public:
    Parser(const QString &text, const NameValue &valueOf) : m_text(text), m_valueOf(valueOf) {}

    double parse()
    {
        const double v = sum();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("无法识别“%1”").arg(m_text.mid(m_pos)));
        return v;
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw WageError(QStringLiteral("计算公式“%1”有误：%2").arg(m_text, why));
    }
    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }
    bool take(QChar c)
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text.at(m_pos) == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    double sum()
    {
        double v = product();
        for (;;) {
            if (take(QLatin1Char('+')))
                v += product();
            else if (take(QLatin1Char('-')))
                v -= product();
            else
                return v;
        }
    }
    double product()
    {
        double v = unary();
        for (;;) {
            if (take(QLatin1Char('*')) || take(QChar(0x00D7))) {
                v *= unary();
            } else if (take(QLatin1Char('/')) || take(QChar(0x00F7))) {
                const double d = unary();
                if (d == 0)
                    fail(QStringLiteral("除数为零"));
                v /= d;
            } else {
                return v;
            }
        }
    }
    double unary()
    {
        if (take(QLatin1Char('-')))
            return -unary();
        if (take(QLatin1Char('+')))
            return unary();
        return primary();
    }
    static bool isOperator(QChar c)
    {
        return QStringLiteral("+-*/()\u00D7\u00F7（）").contains(c) || c.isSpace();
    }
    double primary()
    {
        skipBlanks();
        if (take(QLatin1Char('(')) || take(QChar(0xFF08))) {
            const double v = sum();
            if (!take(QLatin1Char(')')) && !take(QChar(0xFF09)))
                fail(QStringLiteral("缺少右括号"));
            return v;
        }
        if (m_pos >= m_text.size())
            fail(QStringLiteral("公式不完整"));
        const int start = m_pos;
        if (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == QLatin1Char('.')) {
            while (m_pos < m_text.size() && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == QLatin1Char('.')))
                ++m_pos;
            bool ok = false;
            const double v = QLocale::c().toDouble(m_text.mid(start, m_pos - start), &ok);
            if (!ok)
                fail(QStringLiteral("“%1”不是数字").arg(m_text.mid(start, m_pos - start)));
            return v;
        }
        while (m_pos < m_text.size() && !isOperator(m_text.at(m_pos)))
            ++m_pos;
        const QString name = m_text.mid(start, m_pos - start);
        double v = 0;
        if (name.isEmpty() || !m_valueOf(name, &v))
            fail(QStringLiteral("没有名为“%1”的字段").arg(name));
        return v;
    }

    QString m_text;
    const NameValue &m_valueOf;
    int m_pos = 0;
};

} // namespace

double evaluateFormula(const QString &formula, const NameValue &valueOf)
{
    const double v = Parser(formula, valueOf).parse();
    if (!std::isfinite(v))
        throw WageError(QStringLiteral("计算公式“%1”的结果超出范围").arg(formula));
    return v;
}

} // namespace alert
