#include "core/inifile.h"

#include "core/appdir.h"
#include "core/strutil.h"
#include "core/wageerror.h"

#include <QFile>
#include <QSaveFile>

namespace wage {
namespace {

bool isHeader(const QString &line, QString *name = nullptr)
{
    const QString t = TrimText(line);
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')))
        return false;
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    if (name)
        *name = TrimText(t.mid(1, close - 1));
    return true;
}

bool isComment(const QString &line)
{
    const QString t = TrimText(line);
    return t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'));
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    parse(file.readAll());
}

IniFile IniFile::fromBytes(const QByteArray &bytes)
{
    IniFile ini;
    ini.parse(bytes);
    return ini;
}

void IniFile::parse(const QByteArray &bytes)
{
    m_encoding = detectEncoding(bytes);
    QString text = decodeLocalText(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_lines = text.split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

int IniFile::findSection(const QString &section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        QString name;
        if (isHeader(m_lines.at(i), &name) && name.compare(TrimText(section), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::sectionEnd(int headerLine) const
{
    int i = headerLine + 1;
    while (i < m_lines.size() && !isHeader(m_lines.at(i)))
        ++i;
    return i;
}

int IniFile::findKey(int headerLine, const QString &key) const
{
    const int end = sectionEnd(headerLine);
    const QString wanted = TrimText(key);
    for (int i = headerLine + 1; i < end; ++i) {
        const QString &line = m_lines.at(i);
        if (isComment(line))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (TrimText(line.left(eq)).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    const int h = findSection(section);
    return h >= 0 && findKey(h, key) >= 0;
}

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    const int h = findSection(section);
    if (h < 0)
        return fallback;
    const int k = findKey(h, key);
    if (k < 0)
        return fallback;
    const QString &line = m_lines.at(k);
    return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const QString &line : m_lines) {
        QString name;
        if (isHeader(line, &name))
            out << name;
    }
    return out;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList out;
    const int h = findSection(section);
    if (h < 0)
        return out;
    const int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        const QString &line = m_lines.at(i);
        const int eq = line.indexOf(QLatin1Char('='));
        if (!isComment(line) && eq >= 0)
            out << TrimText(line.left(eq));
    }
    return out;
}

QStringList IniFile::sectionLines(const QString &section) const
{
    QStringList out;
    const int h = findSection(section);
    if (h < 0)
        return out;
    const int end = sectionEnd(h);
    for (int i = h + 1; i < end; ++i)
        if (!isComment(m_lines.at(i)))
            out << m_lines.at(i);
    return out;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString line = TrimText(key) + QLatin1Char('=') + value;
    int h = findSection(section);
    if (h < 0) {
        if (!m_lines.isEmpty() && !TrimText(m_lines.last()).isEmpty())
            m_lines << QString();
        m_lines << QLatin1Char('[') + TrimText(section) + QLatin1Char(']') << line;
        return;
    }
    const int k = findKey(h, key);
    if (k >= 0) {
        m_lines[k] = line;
        return;
    }
    // After the section's last entry, before trailing blank lines.
    int at = sectionEnd(h);
    while (at > h + 1 && TrimText(m_lines.at(at - 1)).isEmpty())
        --at;
    m_lines.insert(at, line);
}

void IniFile::removeKey(const QString &section, const QString &key)
{
    const int h = findSection(section);
    if (h < 0)
        return;
    const int k = findKey(h, key);
    if (k >= 0)
        m_lines.removeAt(k);
}

void IniFile::eraseSection(const QString &section)
{
    int h;
    while ((h = findSection(section)) >= 0) {
        const int end = sectionEnd(h);
        for (int i = end - 1; i >= h; --i)
            m_lines.removeAt(i);
    }
}

void IniFile::save() const
{
    saveAs(m_path);
}

void IniFile::saveAs(const QString &path) const
{
    QString text = m_lines.join(QLatin1String("\r\n"));
    if (!m_lines.isEmpty())
        text += QLatin1String("\r\n");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw WageError(QStringLiteral("无法写入文件 %1：%2").arg(path, file.errorString()));
    file.write(encodeText(text, m_encoding));
    if (!file.commit())
        throw WageError(QStringLiteral("无法写入文件 %1：%2").arg(path, file.errorString()));
}

} // namespace wage

QString inistring(const QString &section, const QString &key, const QString &value,
                  const QString &fileName, const QString &mode)
{
    const QString path = wage::programFile(fileName);
    const QString m = mode.toUpper();
    if (m == QLatin1String("READ")) {
        try {
            return TrimText(wage::IniFile(path).value(section, key, value));
        } catch (...) {
            return QString();
        }
    }
    if (m != QLatin1String("WRITE") && m != QLatin1String("DELETE") && m != QLatin1String("ERASE"))
        return QString();
    wage::IniFile ini(path);
    if (m == QLatin1String("WRITE"))
        ini.setValue(section, key, value);
    else if (m == QLatin1String("DELETE"))
        ini.removeKey(section, key);
    else
        ini.eraseSection(key);
    ini.save();
    return QString();
}
