#include "net/netinfo.h"

namespace {

// Empty runs and values above 255 are no octet; the value saturates so long runs cannot overflow.
bool isOctet(const QString &run)
{
    if (run.isEmpty())
        return false;
    int value = 0;
    for (QChar c : run)
        value = qMin(value * 10 + (c.unicode() - '0'), 1000);
    return value <= 255;
}

bool isDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

} // namespace

QString ExtractIPv4(const QString &text)
{
    QString prefix;   // accepted octets with their dots
    QString run;      // current digit run
    int count = 0;    // accepted octets
    const int n = text.size();
    int i = 0;
    while (i <= n) {
        const bool atEnd = i == n;
        const QChar c = atEnd ? QChar() : text.at(i);
        if (count == 3) {
            // The fourth run ends at the first non-digit or at the end of the text.
            if (!atEnd && isDigit(c)) {
                run += c;
                ++i;
                continue;
            }
            if (isOctet(run))
                return prefix + run;
            prefix.clear();
            run.clear();
            count = 0;
            if (atEnd)
                break;
            continue;   // the character that ended the run is scanned again
        }
        if (atEnd)
            break;
        if (isDigit(c)) {
            run += c;
        } else if (c == QLatin1Char('.') && isOctet(run)) {
            prefix += run + QLatin1Char('.');
            run.clear();
            ++count;
        } else {
            prefix.clear();
            run.clear();
            count = 0;
        }
        ++i;
    }
    return QString();
}
