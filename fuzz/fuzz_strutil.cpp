// GetStringList, getsub, ReplaceStr and IsNewerVersion on arbitrary text. Input: separator,
// NUL, text, NUL, replacement.
#include "core/strutil.h"
#include "core/wageerror.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> parts = input.split('\0');
    const QString separator = QString::fromUtf8(parts.value(0));
    const QString text = QString::fromUtf8(parts.value(1));
    const QString replacement = QString::fromUtf8(parts.value(2));

    const QStringList keep = GetStringList(separator, text, 0);
    const QStringList drop = GetStringList(separator, text, 1);
    if (!GetStringList(separator, text, 2).isEmpty())
        std::abort();
    qsizetype expected = 1;   // non-overlapping occurrences + 1
    for (qsizetype at = separator.isEmpty() ? -1 : text.indexOf(separator); at >= 0;
         at = text.indexOf(separator, at + separator.size()))
        ++expected;
    if (keep.size() != expected || drop.size() > keep.size())
        std::abort();
    for (const QString &item : drop)
        if (item.isEmpty() || item != TrimText(item))
            std::abort();

    const QString left = getsub(text, separator, QStringLiteral("left"));
    const QString right = getsub(text, separator, QStringLiteral("right"));
    const QString other = getsub(text, separator, QStringLiteral("Left"));
    if (separator.isEmpty() || !text.contains(separator)) {
        if (left != text || right != text || other != text)
            std::abort();
    } else if (!other.isEmpty() || left != keep.first()) {
        std::abort();
    }

    // It must end whatever the texts; when the text shrinks with every step no occurrence
    // may remain.
    const QString replaced = ReplaceStr(text, separator, replacement);
    if (!separator.isEmpty() && replacement.size() < separator.size() && replaced.contains(separator))
        std::abort();

    try {
        IsNewerVersion(text, replacement);
    } catch (const WageError &) {
    }
    return 0;
}
