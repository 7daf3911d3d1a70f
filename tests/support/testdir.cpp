#include "testdir.h"

#include "core/appdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wagetest {

ProgramDirFixture::ProgramDirFixture() : m_previous(wage::programDir())
{
    wage::setProgramDir(m_dir.path());
}

ProgramDirFixture::~ProgramDirFixture()
{
    wage::setProgramDir(QString());
}

void ProgramDirFixture::write(const QString &name, const QByteArray &bytes) const
{
    const QString path = file(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

QByteArray ProgramDirFixture::read(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString builtAppDir() { return qEnvironmentVariable("WAGE_APP_DIR", QStringLiteral(WAGE_APP_DIR_DEFAULT)); }
QString sourceDir() { return qEnvironmentVariable("WAGE_SOURCE_DIR", QStringLiteral(WAGE_SOURCE_DIR_DEFAULT)); }

} // namespace wagetest
