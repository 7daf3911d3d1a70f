#include "contract/hostobjects.h"

#include "core/strutil.h"
#include "core/textcodec.h"
#include "db/connection.h"
#include "db/dbroutines.h"

#include <QQueue>
#include <QWidget>

namespace wage {

QObject *findHostObject(QObject *root, const QString &name)
{
    if (!root || name.isEmpty())
        return nullptr;
    QQueue<QObject *> pending;
    pending.enqueue(root);
    while (!pending.isEmpty()) {
        for (QObject *child : pending.dequeue()->children()) {
            if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
                return child;
            pending.enqueue(child);
        }
    }
    return nullptr;
}

QWidget *hostMainWindow(QObject *hostWindow)
{
    auto *widget = qobject_cast<QWidget *>(hostWindow);
    return widget ? widget->window() : nullptr;
}

PluginParams splitPluginParams(const char *gbkParams)
{
    const QString text = gbkParams ? fromGbk(QByteArray(gbkParams)) : QString();
    return PluginParams{GetStringList(QStringLiteral(","), text, 0)};
}

bool pluginRightGranted(Connection *connection, const QString &table, const QString &function,
                        const QString &user)
{
    if (user == administratorName())
        return true;
    if (!connection)
        throw WageError(QStringLiteral("宿主未提供数据库连接 adoconnection1"));
    // Names are quoted so that an apostrophe in a user or function name stays one value.
    const QString sql = QStringLiteral("select count(*) from usermod where mod_table='") + sqlQuote(table)
        + QStringLiteral("' and mod_func='") + sqlQuote(function)
        + QStringLiteral("' and mod_type='拓展' and user_name='") + sqlQuote(user) + QStringLiteral("'");
    return GetSqli(sql, connection) >= 1;
}

} // namespace wage
