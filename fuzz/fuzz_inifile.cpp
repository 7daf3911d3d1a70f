// The INI reader on arbitrary bytes (GBK, UTF-8 or garbage): parsing and every query are
// safe, and a value written can be read back. Input: file bytes, NUL, section, NUL, key, NUL,
// value.
#include "core/inifile.h"
#include "core/strutil.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {
bool usableName(const QString &name, bool key)
{
    const QString t = TrimText(name);
    if (t.isEmpty() || t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r')))
        return false;
    if (key)
        return !t.contains(QLatin1Char('=')) && !t.startsWith(QLatin1Char(';')) && !t.startsWith(QLatin1Char('#'))
            && !t.startsWith(QLatin1Char('['));
    return !t.contains(QLatin1Char(']'));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> parts = input.split('\0');
    wage::IniFile ini = wage::IniFile::fromBytes(parts.value(0));
    for (const QString &section : ini.sections()) {
        for (const QString &key : ini.keys(section)) {
            if (!ini.contains(section, key))
                std::abort();
            ini.value(section, key);
        }
        ini.sectionLines(section);
    }
    const QString section = QString::fromUtf8(parts.value(1));
    const QString key = QString::fromUtf8(parts.value(2));
    QString value = QString::fromUtf8(parts.value(3));
    value.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    ini.value(section, key, QStringLiteral("fallback"));
    if (usableName(section, false) && usableName(key, true)) {
        ini.setValue(section, key, value);
        if (ini.value(section, key) != value)
            std::abort();
        ini.removeKey(section, key);
    }
    ini.eraseSection(section);
    if (!TrimText(section).isEmpty() && ini.sections().contains(TrimText(section), Qt::CaseInsensitive)
        && !section.contains(QLatin1Char(']')))
        std::abort();
    return 0;
}
