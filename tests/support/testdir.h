#pragma once
// A fresh program directory for one test: the shared routines resolve Usertem.ini, Error.Log,
// Alert.dll and the rest in it.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace wagetest {

class ProgramDirFixture {
public:
    ProgramDirFixture();
    ~ProgramDirFixture();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Where the build assembled the installation (update.exe, Plugins/, Alert.dll ...).
QString builtAppDir();
QString sourceDir();

} // namespace wagetest
