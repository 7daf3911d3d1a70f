#pragma once
// Rights and the host's module queries.
//
// Where the host keeps what these read:
//   - rights: usermod (mod_table, mod_func, mod_type, user_name); a built-in function such as
//     "修改" has mod_type "功能". "系统管理员" holds every right without rows.
//   - a user's record filter: usermod rows with mod_type "数据范围" for the table; mod_func holds
//     the condition (SQL by design, run as it stands). Several rows widen the scope: they are
//     joined with "or".
//   - the module query: f_moduinfo.opensql of the row whose mod_table is the table, else
//     "select * from " + table; the user's filter is joined to it.
#include "kit/predicatejoin.h"

#include <QList>
#include <QString>

namespace wage { class Connection; }

// True when the user lacks the right (the caller stops); the user is told so here.
bool Checkfunc(const QString &user, const QString &table, const QString &function, wage::Connection *connection);
// The user's record filter for the table as one condition; empty: none.
QString Getmodwhere(const QString &user, const QString &table, wage::Connection *connection);
// The host module's query text for user and table.
QString GetDataSQLStr(const QString &user, const QString &table, wage::Connection *connection);
// Announces a plug-in function of a module when its window is created (kind 41: a window
// function). Nothing is written to the database; the host lists the announcements.
void GetExpand(const QString &table, const QString &caption, int kind, wage::Connection *connection);

namespace wage {

struct Expansion {
    QString table;
    QString caption;
    int kind = 0;
};
QList<Expansion> announcedExpansions();

inline QString administratorName() { return QStringLiteral("系统管理员"); }

} // namespace wage
