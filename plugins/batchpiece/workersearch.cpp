#include "batchpiece/workersearch.h"

#include "core/strutil.h"
#include "core/textcodec.h"

namespace batchpiece {

namespace {

struct Range {
    char letter;
    int first;
    int count;
};

// Ranges of the level-1 characters by initial; none for I, U and V.
constexpr Range kRanges[] = {
    {'A', 45217, 36},  {'B', 45253, 508}, {'C', 45761, 557}, {'D', 46318, 508}, {'E', 46826, 184},
    {'F', 47010, 287}, {'G', 47297, 317}, {'H', 47614, 505}, {'J', 48119, 943}, {'K', 49062, 262},
    {'L', 49324, 572}, {'M', 49896, 475}, {'N', 50371, 243}, {'O', 50614, 8},   {'P', 50622, 284},
    {'Q', 50906, 481}, {'R', 51387, 59},  {'S', 51446, 772}, {'T', 52218, 480}, {'W', 52698, 282},
    {'X', 52980, 661}, {'Y', 53689, 792}, {'Z', 54481, 809},
};

QChar initialOf(int code)
{
    for (const Range &r : kRanges) {
        if (code >= r.first && code < r.first + r.count)
            return QLatin1Char(r.letter);
    }
    return QLatin1Char(' ');
}

} // namespace

QString nameInitials(const QString &name)
{
    const QByteArray bytes = wage::toGbk(name);
    QString out;
    out.reserve(bytes.size());
    for (int i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        if (b < 128) {
            out += QLatin1Char(static_cast<char>(b));
            continue;
        }
        const int second = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes.at(i + 1)) : 0;
        out += initialOf(b * 256 + second);
        ++i;
    }
    return out;
}

WorkerItem workerItem(const QString &listText)
{
    const QStringList parts = GetStringList(QStringLiteral(","), listText, 0);
    WorkerItem item;
    item.number = TrimText(parts.value(0));
    item.name = TrimText(parts.value(1));
    item.initials = nameInitials(item.name);
    return item;
}

int findWorker(const QList<WorkerItem> &items, const QString &text)
{
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).number == text)
            return i;
    }
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).name == text)
            return i;
    }
    const QString upper = text.toUpper();
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i).initials == upper)
            return i;
    }
    return -1;
}

} // namespace batchpiece
