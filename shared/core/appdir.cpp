#include "core/appdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace wage {
namespace {

QString &overrideDir()
{
    static QString dir;
    return dir;
}

QString runningProgramDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

} // namespace

QString programDir()
{
    // Plug-ins carry their own copy of this library: the host's choice travels on the
    // application object so that host and plug-ins agree on one directory.
    if (auto *app = QCoreApplication::instance()) {
        const QVariant shared = app->property("wage.programDir");
        if (shared.isValid() && !shared.toString().isEmpty())
            return shared.toString();
    }
    if (!overrideDir().isEmpty())
        return overrideDir();
    return runningProgramDir();
}

void setProgramDir(const QString &dir)
{
    const QString clean = dir.isEmpty() ? QString() : QDir::cleanPath(QDir(dir).absolutePath());
    overrideDir() = clean;
    if (auto *app = QCoreApplication::instance())
        app->setProperty("wage.programDir", clean);
}

QString resolveIn(const QString &base, const QString &relative)
{
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(rel))
        return QDir::cleanPath(rel);
    QString current = QDir::cleanPath(base);
    bool exists = QFileInfo(current).isDir();
    const QStringList parts = rel.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) { current = QFileInfo(current).path(); continue; }
        QString chosen = part;
        if (exists) {
            const QString exact = current + QLatin1Char('/') + part;
            if (!QFileInfo::exists(exact)) {
                const QStringList entries = QDir(current).entryList(
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
                for (const QString &entry : entries) {
                    if (entry.compare(part, Qt::CaseInsensitive) == 0) { chosen = entry; break; }
                }
            }
        }
        current += QLatin1Char('/') + chosen;
        exists = exists && QFileInfo(current).isDir();
    }
    return current;
}

QString programFile(const QString &relative)
{
    return resolveIn(programDir(), relative);
}

} // namespace wage
