#include "net/alert.h"

#include "core/appdir.h"
#include "core/prompt.h"
#include "core/textcodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <dlfcn.h>
#include <unistd.h>

namespace {

// Alert.dll of the program directory, loaded by its full path on every call and never
// unloaded (the outside DLL may keep windows or the connection after the call).
void *alertSymbol(const char *name, bool *fileExists)
{
    const QString path = wage::programFile(QStringLiteral("Alert.dll"));
    *fileExists = QFileInfo(path).isFile();
    if (!*fileExists)
        return nullptr;
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    return dlsym(handle, name);
}

} // namespace

void AlertMess(const QString &caption, const QString &message)
{
    try {
        if (wage::prompt().unattended()) {
            wage::prompt().information(message, caption);
            return;
        }
        bool exists = false;
        void *symbol = alertSymbol("ShowModMess", &exists);
        if (!exists) {
            wage::prompt().message(message);
            return;
        }
        if (!symbol)
            return;
        const QByteArray c = wage::toGbk(caption);
        const QByteArray m = wage::toGbk(message);
        reinterpret_cast<void (*)(const char *, const char *)>(symbol)(c.constData(), m.constData());
    } catch (...) {
        // The DLL's failures are its own business.
    }
}

void AlertConn(wage::Connection *connection)
{
    try {
        bool exists = false;
        if (void *symbol = alertSymbol("SetConn", &exists))
            reinterpret_cast<void (*)(void *)>(symbol)(connection);
    } catch (...) {
    }
}

void KillApplication(bool restart)
{
    if (restart && QCoreApplication::instance()) {
        const QStringList arguments = QCoreApplication::arguments().mid(1);
        QProcess process;
        process.setProgram(QCoreApplication::applicationFilePath());
        process.setArguments(arguments);
        process.setWorkingDirectory(wage::programDir());
        process.startDetached();
    }
    // At once: no windows closed, no clean-up of the program.
    _exit(1);
}
