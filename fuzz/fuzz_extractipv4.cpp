// ExtractIPv4 on arbitrary page text: never crashes, and what it finds is a dotted quad of
// octets 0..255 (leading zeros as written) that occurs in the text.
#include "net/netinfo.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString ip = ExtractIPv4(text);
    if (ip.isEmpty())
        return 0;
    if (!text.contains(ip))
        std::abort();
    const QStringList parts = ip.split(QLatin1Char('.'));
    if (parts.size() != 4)
        std::abort();
    for (const QString &part : parts) {
        if (part.isEmpty())
            std::abort();
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                std::abort();
        QString value = part;
        while (value.size() > 1 && value.startsWith(QLatin1Char('0')))
            value.remove(0, 1);
        if (value.size() > 3 || value.toInt() > 255)
            std::abort();
    }
    return 0;
}
