#pragma once
// The object behind "adoconnection1" / ADOConnection1: one open wage database.
//
// Two engines stand behind it. The embedded engine is a SQLite file; the system's SQL, written
// in the dialect of the configuration (Jet SQL for "ACCESS", T-SQL for "MSSQL"), is translated
// into SQLite before it runs, and the functions that SQL calls are registered on the
// connection. The server engine is ODBC (SQL Server through FreeTDS); SQL passes unchanged.
#include "core/wageerror.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <functional>

struct sqlite3;

namespace wage {

enum class Dialect { Access, MsSql };
// "MSSQL" (any case) is MsSql; every other word is Access.
Dialect dialectFromName(const QString &name);
QString dialectName(Dialect dialect);

// A database error; `statement` is the statement as the caller wrote it.
class DbError : public WageError {
public:
    DbError(const QString &message, const QString &statement)
        : WageError(statement.isEmpty() ? message : message + QLatin1Char('\r') + statement),
          m_reason(message), m_statement(statement) {}
    QString reason() const { return m_reason; }
    QString statement() const { return m_statement; }

private:
    QString m_reason;
    QString m_statement;
};

// Named parameters: (":pc_id", value) or ("pc_id", value).
using SqlParams = QList<QPair<QString, QVariant>>;

// A whole result, read to the client.
struct QueryResult {
    QStringList columns;
    QList<QVariantList> rows;
    // Column index by name without regard to case; -1 when absent.
    int column(const QString &name) const;
    QVariant value(int row, const QString &columnName) const;
};

class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;

    // Embedded engine on a SQLite file (created when missing). A file that is really a Jet/ACE
    // database is refused with a DbError and left untouched.
    void openFile(const QString &path, Dialect dialect);
    // Server engine on an ODBC connection string; SQL passes unchanged.
    void openOdbc(const QString &odbcConnectionString, Dialect dialect);
    // The installation's connection description ("connectionstr" of Usertem.ini):
    //   "ACCESS..." opens `accessPath` on the embedded engine;
    //   "MSSQL#host,port#database#user#password" opens SQL Server through ODBC/FreeTDS;
    //   "MSSQL#file:<path>" opens a local database file in the T-SQL dialect (tests, demos);
    //   "ODBC#<odbc connection string>" opens any ODBC source in the T-SQL dialect.
    void openDescription(const QString &connectionstr, const QString &accessPath);
    void close();
    bool isOpen() const;

    Dialect dialect() const;
    bool isEmbedded() const;
    QString databasePath() const;   // the embedded file; empty on ODBC

    // Runs a statement without a result; rows affected. timeoutSeconds 0 means no limit.
    int execute(const QString &sql, const SqlParams &params = {}, int timeoutSeconds = 30);
    // Runs a query and reads its whole result.
    QueryResult query(const QString &sql, const SqlParams &params = {});
    // At most maxRows rows of a query (all when negative).
    QueryResult queryRows(const QString &sql, int maxRows, const SqlParams &params = {});
    // Runs a query and hands its rows one at a time to `row` without keeping them (datasets
    // reading many rows); the column names. On the embedded engine equal texts of a column
    // share one string.
    QStringList queryEach(const QString &sql, const SqlParams &params,
                          const std::function<void(QVariantList &row)> &row);
    // Column names of a query's result without reading its rows.
    QStringList columns(const QString &sql);

    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // User tables (system tables excluded), sorted.
    QStringList tableNames();
    // Identity / auto-number of the last inserted row.
    QVariant lastInsertId();

    // The text the engine runs for `sql` (translated on the embedded engine, unchanged on ODBC).
    QString translate(const QString &sql) const;
    // The Qt connection underneath, for datasets and models.
    QSqlDatabase database() const;

    // Every statement as the caller wrote it, while tracing is on (tests count queries).
    void setTracing(bool on);
    QStringList trace() const;
    void clearTrace();

    // Time limit of query() and columns(), in seconds (0: none); 30 by default.
    void setCommandTimeout(int seconds);
    int commandTimeout() const;
    // How long a statement without a time limit waits for another program's lock; 30 s by default.
    void setLockTimeout(int milliseconds);
    // Statements that differ only in their literal values share one translation and one prepared
    // statement (on by default). Off: each text is translated and prepared on its own, the way
    // benchmarks show the difference.
    void setStatementSharing(bool on);
    // The raw SQLite connection of the embedded engine; null on ODBC.
    sqlite3 *sqliteHandle() const;

signals:
    void statementRun(const QString &sql);

private:
    struct Private;
    Private *d;
};

} // namespace wage
