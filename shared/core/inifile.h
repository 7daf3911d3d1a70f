#pragma once
// INI files of the installation (Usertem.ini, Report.ini, Autoupdate.ini, netupdate.ini).
// Section and key names compare without regard to case, as on Windows. A rewrite keeps the
// file's other sections, keys, comments and encoding, and replaces the file atomically.
#include "core/textcodec.h"

#include <QString>
#include <QStringList>

namespace wage {

class IniFile {
public:
    IniFile() = default;
    // Reads the file; a missing or unreadable file is empty.
    explicit IniFile(const QString &path);
    // The file's bytes already read; save() needs saveAs() then.
    static IniFile fromBytes(const QByteArray &bytes);

    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback = {}) const;
    QStringList sections() const;
    QStringList keys(const QString &section) const;
    // Raw lines of a section (comments and blank lines excluded), for "caption=statement" scripts.
    QStringList sectionLines(const QString &section) const;

    void setValue(const QString &section, const QString &key, const QString &value);
    void removeKey(const QString &section, const QString &key);
    void eraseSection(const QString &section);

    // Writes atomically in the encoding the file had (GBK for a new file); raises WageError.
    void save() const;
    void saveAs(const QString &path) const;

private:
    void parse(const QByteArray &bytes);
    int findSection(const QString &section) const;
    int sectionEnd(int headerLine) const;
    int findKey(int headerLine, const QString &key) const;

    QString m_path;
    QStringList m_lines;
    TextEncoding m_encoding = TextEncoding::Gbk;
};

} // namespace wage

// The system's one routine for the program directory's INI files: mode READ, WRITE, DELETE or
// ERASE (any case). READ never fails (empty on error); the writing modes raise WageError.
QString inistring(const QString &section, const QString &key, const QString &value,
                  const QString &fileName, const QString &mode);
