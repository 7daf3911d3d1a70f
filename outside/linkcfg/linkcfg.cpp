// Linkcfg.dll: the connection component of the installation. It opens a connection from the
// connection description and confirms the user who starts the updater.
#include "linkcfg_api.h"

#include "core/appdir.h"
#include "core/config.h"
#include "core/inifile.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "core/textcodec.h"
#include "db/connection.h"

#include <QFileInfo>

#define LINKCFG_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The Access database: "datapath" when that file exists, else f_data.mdb of the program directory.
QString accessDatabasePath()
{
    const QString dataPath = TrimText(inistring(QStringLiteral("main Position"), QStringLiteral("datapath"), QString(),
                                                QStringLiteral("USERTEM.INI"), QStringLiteral("read")));
    if (!dataPath.isEmpty() && QFileInfo::exists(dataPath))
        return dataPath;
    return wage::programFile(QString::fromLatin1(wage::kDefaultAccessFile));
}

// The database file a description opens on the embedded engine; empty for a server.
QString databaseFileOf(const QString &description, const QString &accessPath)
{
    const QStringList parts = description.trimmed().split(QLatin1Char('#'));
    const QString word = parts.value(0).trimmed().toUpper();
    if (word == QLatin1String("ODBC"))
        return QString();
    if (word == QLatin1String("MSSQL")) {
        const QString first = parts.value(1).trimmed();
        return first.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) ? first.mid(5) : QString();
    }
    return accessPath;
}

} // namespace

LINKCFG_EXPORT bool ConnectTest(const char *description, void *connection)
{
    auto *c = static_cast<wage::Connection *>(connection);
    if (!c || !description)
        return false;
    try {
        const QString text = wage::decodeLocalText(QByteArray(description));
        // Opening an installation never creates its database: a missing file is a failed
        // connection, not a new empty database.
        const QString file = databaseFileOf(text, accessDatabasePath());
        if (!file.isEmpty() && !QFileInfo::exists(file))
            return false;
        c->openDescription(text, accessDatabasePath());
        return c->isOpen();
    } catch (...) {
        return false;
    }
}

LINKCFG_EXPORT bool GetPassForm(const char *description, void *connection, int mode, const char *userName,
                                const char *iniName)
{
    Q_UNUSED(description);
    Q_UNUSED(connection);
    Q_UNUSED(mode);
    Q_UNUSED(iniName);
    const QString user = wage::decodeLocalText(QByteArray(userName ? userName : ""));
    try {
        return wage::prompt().question(QStringLiteral("以用户“%1”登录并继续在线升级吗？").arg(user),
                                       QStringLiteral("用户登录"));
    } catch (...) {
        return false;
    }
}
