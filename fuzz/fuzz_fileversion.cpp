// The file-version reader on arbitrary bytes: never reads outside them, and any version it
// reports has four numbers.
#include "net/fileversion.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A private copy so that AddressSanitizer sees reads past the end.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString version = wage::fileVersionOf(bytes);
    if (!version.isEmpty() && version.split(QLatin1Char('.')).size() != 4)
        std::abort();
    return 0;
}
