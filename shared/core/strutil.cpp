#include "core/strutil.h"

#include "core/textcodec.h"
#include "core/wageerror.h"

#include <cstring>

QString TrimText(const QString &text)
{
    int start = 0;
    int end = text.size();
    while (start < end && text.at(start).unicode() <= 0x20) ++start;
    while (end > start && text.at(end - 1).unicode() <= 0x20) --end;
    return text.mid(start, end - start);
}

QString TrimRightText(const QString &text)
{
    int end = text.size();
    while (end > 0 && text.at(end - 1).unicode() <= 0x20) --end;
    return text.left(end);
}

QStringList GetStringList(const QString &separator, const QString &text, int mode)
{
    QStringList items;
    if (mode != 0 && mode != 1)
        return items;
    QStringList pieces;
    if (separator.isEmpty() || !text.contains(separator))
        pieces << text;
    else
        pieces = text.split(separator);
    for (const QString &piece : pieces) {
        const QString item = TrimText(piece);
        if (mode == 1 && item.isEmpty())
            continue;
        items << item;
    }
    return items;
}

char *StrToPch(const QString &text)
{
    const QByteArray bytes = wage::toGbk(text);
    char *buffer = new char[static_cast<size_t>(bytes.size()) + 1];
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(bytes.size()));
    buffer[bytes.size()] = '\0';
    return buffer;
}

QString ReplaceStr(const QString &text, const QString &oldText, const QString &newText)
{
    if (oldText.isEmpty())
        return text;
    QString result = text;
    // Repeating "replace the first occurrence" can rebuild `oldText` across a join. When the
    // text shrinks with every step the repetition ends by itself; otherwise one pass that
    // resumes after the inserted text keeps a careless call from growing forever.
    const bool shrinks = newText.size() < oldText.size();
    int from = 0;
    int pos;
    while ((pos = result.indexOf(oldText, from, Qt::CaseSensitive)) >= 0) {
        result.replace(pos, oldText.size(), newText);
        from = shrinks ? 0 : pos + newText.size();
    }
    return result;
}

QString getsub(const QString &text, const QString &separator, const QString &side)
{
    const int pos = separator.isEmpty() ? -1 : text.indexOf(separator);
    if (pos < 0)
        return text;
    if (side == QLatin1String("left"))
        return TrimText(text.left(pos));
    if (side == QLatin1String("right"))
        return TrimText(text.mid(pos + separator.size()));
    return QString();
}

bool IsNewerVersion(const QString &a, const QString &b)
{
    if (a.isEmpty())
        return false;
    const QStringList pa = GetStringList(QStringLiteral("."), a, 0);
    const QStringList pb = GetStringList(QStringLiteral("."), b, 0);
    for (int i = 0; i < 4; ++i) {
        if (i >= pa.size() || i >= pb.size())
            throw WageError(QStringLiteral("版本号 \"%1\" 与 \"%2\" 不是四段数字").arg(a, b));
        bool okA = false, okB = false;
        const qlonglong va = pa.at(i).toLongLong(&okA);
        const qlonglong vb = pb.at(i).toLongLong(&okB);
        if (!okA || !okB)
            throw WageError(QStringLiteral("\"%1\" 不是有效的整数值").arg(okA ? pb.at(i) : pa.at(i)));
        if (va != vb)
            return va > vb;
    }
    return false;
}

namespace wage {
QString sqlQuote(const QString &value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}
} // namespace wage
