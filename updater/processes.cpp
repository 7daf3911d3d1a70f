#include "processes.h"

#include "core/appdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace updater {
namespace {

bool matches(const QString &pidDir, const QString &wanted)
{
    // The executable's path; comm is cut at 15 characters, so it only serves when exe is not
    // readable (a zombie or a vanished file).
    const QString exe = QFile::symLinkTarget(pidDir + QStringLiteral("/exe"));
    if (!exe.isEmpty()) {
        QString path = exe;
        if (path.endsWith(QLatin1String(" (deleted)")))
            path.chop(10);
        return path.compare(wanted, Qt::CaseInsensitive) == 0
            || QFileInfo(path).fileName().compare(wanted, Qt::CaseInsensitive) == 0;
    }
    QFile comm(pidDir + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return false;
    const QString name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    return !name.isEmpty() && wanted.left(15).compare(name, Qt::CaseInsensitive) == 0;
}

bool terminate(pid_t pid)
{
    if (::kill(pid, SIGTERM) != 0)
        return false;
    // A program that ignores the request is ended for good after a short grace.
    for (int i = 0; i < 40; ++i) {
        if (::kill(pid, 0) != 0)
            return true;
        QThread::msleep(25);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray s = stat.readAll();
            const int close = s.lastIndexOf(')');
            if (close > 0 && s.size() > close + 2 && s.at(close + 2) == 'Z')
                return true;
        }
    }
    return ::kill(pid, SIGKILL) == 0;
}

} // namespace

int KillTask(const QString &programName, bool kill)
{
    int result = 0;
    const uid_t me = ::getuid();
    const pid_t self = ::getpid();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : pids) {
        bool ok = false;
        const pid_t pid = static_cast<pid_t>(entry.toInt(&ok));
        if (!ok || pid == self)
            continue;
        const QString dir = QStringLiteral("/proc/") + entry;
        struct stat st;
        if (::stat(QFile::encodeName(dir).constData(), &st) != 0 || st.st_uid != me)
            continue;
        if (!matches(dir, programName))
            continue;
        if (!kill)
            return 1;
        result = terminate(pid) ? 1 : 0;
    }
    return result;
}

bool StartProgram(const QString &fileName, const QStringList &arguments)
{
    const QString path = wage::programFile(fileName);
    return QProcess::startDetached(path, arguments, wage::programDir());
}

void EndProcessNow(int exitCode)
{
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(exitCode);
}

} // namespace updater
