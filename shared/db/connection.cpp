#include "db/connection.h"

#include "db/datasetrows.h"
#include "db/sqldates.h"
#include "db/sqlitefunctions.h"
#include "db/sqlrender.h"
#include "db/sqlscript.h"
#include "db/sqlshape.h"
#include "db/sqltranslate.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <sqlite3.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>

namespace wage {

Dialect dialectFromName(const QString &name)
{
    return name.trimmed().compare(QLatin1String("MSSQL"), Qt::CaseInsensitive) == 0 ? Dialect::MsSql
                                                                                     : Dialect::Access;
}

QString dialectName(Dialect dialect)
{
    return dialect == Dialect::MsSql ? QStringLiteral("MSSQL") : QStringLiteral("ACCESS");
}

int QueryResult::column(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant QueryResult::value(int row, const QString &columnName) const
{
    const int c = column(columnName);
    if (c < 0 || row < 0 || row >= rows.size())
        return {};
    return rows[row].value(c);
}

namespace {

constexpr int kCacheLimit = 4000;

// Deadline of the running statement, checked by SQLite's progress handler.
struct Deadline {
    qint64 until = 0; // msecs since epoch; 0 = none
    bool expired = false;
};

int progressCheck(void *arg)
{
    auto *d = static_cast<Deadline *>(arg);
    if (d->until && QDateTime::currentMSecsSinceEpoch() > d->until) {
        d->expired = true;
        return 1;
    }
    return 0;
}

bool isJetFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(32);
    return head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB";
}

// The text collation once ordered by code point; files made then carry text indexes in that
// order, which lookups in pinyin order would miss. They are rebuilt once, and the file marked.
constexpr int kTextOrderVersion = 3;

void reindexTextOnce(sqlite3 *handle, int busyMs)
{
    sqlite3_stmt *stmt = nullptr;
    int version = 0;
    if (sqlite3_prepare_v2(handle, "PRAGMA user_version", -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        version = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    if (version >= kTextOrderVersion)
        return;
    sqlite3_busy_timeout(handle, busyMs);
    // a read-only or locked file keeps its mark and is tried again at the next opening
    const QByteArray sql = QByteArrayLiteral("BEGIN IMMEDIATE; REINDEX ") + sql::kTextCollation
                           + QByteArrayLiteral("; PRAGMA user_version=") + QByteArray::number(kTextOrderVersion) + QByteArrayLiteral("; COMMIT;");
    if (sqlite3_exec(handle, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace

struct Connection::Private : sql::SchemaInfo {
    QString name = QStringLiteral("wage_") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlDatabase db;
    Dialect dialect = Dialect::Access;
    bool embedded = false;
    QString path;
    sqlite3 *handle = nullptr;
    bool inTransaction = false;
    bool tracing = false;
    QStringList trace;
    QVariant lastId;
    int busyMs = 30000;
    int commandTimeout = 30;
    Deadline deadline;
    mutable QHash<QString, QList<sql::SqliteStatement>> cache;
    mutable QHash<QString, QHash<QString, QString>> schema; // table -> column -> declared type
    mutable QHash<QString, QStringList> columnOrder;        // table -> columns in order

    QStringList columnNames(const QString &table) const override
    {
        columnType(table, QString());
        return columnOrder.value(table.toLower());
    }

    QString columnType(const QString &table, const QString &column) const override
    {
        const QString key = table.toLower();
        auto it = schema.find(key);
        if (it == schema.end()) {
            QHash<QString, QString> cols;
            QStringList &order = columnOrder[key];
            order.clear();
            sqlite3_stmt *stmt = nullptr;
            QString quoted = table;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(quoted).toUtf8();
            if (handle && sqlite3_prepare_v2(handle, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
                while (sqlite3_step(stmt) == SQLITE_ROW) {
                    const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1));
                    const auto *type = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 2));
                    cols.insert(QString::fromUtf8(name).toLower(), QString::fromUtf8(type ? type : ""));
                    order.append(QString::fromUtf8(name));
                }
            }
            sqlite3_finalize(stmt);
            it = schema.insert(key, cols);
        }
        auto c = it->constFind(column.toLower());
        return c == it->constEnd() ? QString() : c.value();
    }

    // Types of `table` changed: its columns are read again, and the translations that may name
    // it are made again (all of them when the table is not known).
    // `keep`: the cache key of the statement that made the change, whose own translation does
    // not depend on the table it creates or drops.
    void schemaChanged(const QString &table = QString(), const QString &keep = QString())
    {
        prepared.clear();
        if (table.isEmpty()) {
            schema.clear();
            columnOrder.clear();
            cache.clear();
            namedIn.clear();
            return;
        }
        const QString key = table.toLower();
        schema.remove(key);
        columnOrder.remove(key);
        for (const QString &sql : namedIn.take(key))
            if (sql != keep) cache.remove(sql);
        if (!keep.isEmpty()) namedIn[key].append(keep);
    }

    // cached statement texts by the names they contain, lower-cased
    mutable QHash<QString, QStringList> namedIn;
    void rememberNames(const QString &sql) const
    {
        QString word;
        auto flush = [&]() {
            if (!word.isEmpty()) {
                QStringList &list = namedIn[word.toLower()];
                if (list.isEmpty() || list.last() != sql)
                    list.append(sql);
                word.clear();
            }
        };
        for (const QChar ch : sql) {
            if (ch.isLetterOrNumber() || ch == u'_' || ch == u'#' || ch == u'$')
                word += ch;
            else
                flush();
        }
        flush();
    }

    // T-SQL batches by their text, parsed once
    mutable QHash<QString, std::shared_ptr<const sql::Script>> scripts;

    static bool shareable(const QList<sql::SqliteStatement> &out)
    {
        if (out.size() != 1 || out.first().script || (out.first().changesSchema && out.first().intoTable.isEmpty()))
            return false;
        const QString &t = out.first().text;
        return t.startsWith(QLatin1String("SELECT ")) || t.startsWith(QLatin1String("INSERT ")) || t.startsWith(QLatin1String("UPDATE "))
               || t.startsWith(QLatin1String("DELETE ")) || t.startsWith(QLatin1String("WITH "));
    }

    void remember(const QString &key, const QList<sql::SqliteStatement> &out) const
    {
        if (cache.size() >= kCacheLimit) {
            cache.clear();
            namedIn.clear();
            scripts.clear();
        }
        cache.insert(key, out);
        // DROP reads no column types: a change of the table it names leaves it as it is
        bool dropOnly = !out.isEmpty();
        for (const sql::SqliteStatement &st : out) dropOnly = dropOnly && st.text.startsWith(QLatin1String("DROP "));
        if (!dropOnly) rememberNames(key);
    }

    // `part`: one statement of a batch, never a batch itself (cached apart from the same text
    // written alone). With `literals`, a statement that differs from an earlier one only in its
    // literal values takes that one's translation, its values coming back as parameters.
    QList<sql::SqliteStatement> statements(const QString &sql, bool part = false, SqlParams *literals = nullptr,
                                           QString *usedKey = nullptr) const
    {
        if (!embedded) {
            sql::SqliteStatement st;
            st.text = sql;
            return {st};
        }
        const QString key = part ? QLatin1Char('\x01') + sql : sql;
        if (usedKey) *usedKey = key;
        auto it = cache.constFind(key);
        if (it != cache.constEnd())
            return it.value();
        QString shape;
        QList<sql::LiteralSlot> literalList;
        if (literals && sql::statementShape(sql, dialect == Dialect::Access, &shape, &literalList)) {
            const QString shapeKey = QLatin1Char('\x03') + key.left(part ? 1 : 0) + shape;
            auto found = cache.constFind(shapeKey);
            if (found == cache.constEnd()) {
                QList<sql::SqliteStatement> out;
                if (part || dialect != Dialect::MsSql || !sql::isTsqlScript(sql)) {
                    QHash<int, int> positions;
                    for (int i = 0; i < literalList.size(); ++i) positions.insert(literalList[i].pos, i);
                    bool dependent = false;
                    out = sql::translateShape(sql, dialect, this, positions, &dependent);
                    if (dependent || !shareable(out)) out.clear(); // this shape is cached by its text
                }
                remember(shapeKey, out);
                found = cache.constFind(shapeKey);
            }
            if (!found->isEmpty()) {
                if (usedKey) *usedKey = shapeKey;
                for (int i = 0; i < literalList.size(); ++i) literals->append({sql::literalParameter(i), literalList[i].value});
                return found.value();
            }
        }
        QList<sql::SqliteStatement> out;
        if (!part && dialect == Dialect::MsSql && sql::isTsqlScript(sql)) {
            scripts.insert(sql, sql::parseScript(sql));
            sql::SqliteStatement st;
            st.script = true;
            out.append(st);
        } else {
            out = sql::translate(sql, dialect, this);
        }
        remember(key, out);
        if (out.first().script && !scripts.contains(sql)) scripts.insert(sql, sql::parseScript(sql));
        return out;
    }

    // Prepared statements by their SQLite text: a statement run again is bound and run, not
    // prepared again. Each is reset (finish) after use so that it holds no lock.
    QHash<QString, QSqlQuery> prepared;
    bool sharing = true;
    static constexpr int kPreparedLimit = 256;

    bool preparedQuery(QSqlQuery &q, const QString &text)
    {
        auto it = prepared.find(text);
        if (it == prepared.end()) {
            if (prepared.size() >= kPreparedLimit) prepared.clear();
            QSqlQuery p(db);
            p.setForwardOnly(true);
            if (!p.prepare(text)) {
                q = p;
                return false;
            }
            it = prepared.insert(text, p);
        }
        q = it.value();
        return true;
    }

    // Runs the statements of a batch through this connection.
    struct BatchHost : sql::ScriptHost {
        Private *d;
        int seconds;
        BatchHost(Private *p, int s) : d(p), seconds(s) {}
        int run(const QString &sql, const SqlParams &params, QueryResult *rows) override
        {
            QSqlQuery q(d->db);
            int n = d->run(q, sql, params, seconds, nullptr, true);
            if (!q.isSelect()) {
                q.finish();
                return n;
            }
            n = 0;
            const QSqlRecord rec = q.record();
            if (rows)
                for (int i = 0; i < rec.count(); ++i) rows->columns.append(rec.fieldName(i));
            d->armTimeout(seconds);
            while (q.next()) {
                ++n;
                if (!rows) continue;
                QVariantList row;
                row.reserve(rec.count());
                for (int i = 0; i < rec.count(); ++i) row.append(q.value(i));
                rows->rows.append(row);
            }
            d->disarm();
            const QSqlError error = q.lastError();
            q.finish();
            if (error.isValid() && error.type() != QSqlError::NoError)
                d->fail(error, sql, seconds);
            return n;
        }
        bool inTransaction() const override { return d->inTransaction; }
        void begin() override
        {
            if (!d->db.transaction()) d->fail(d->db.lastError(), QStringLiteral("BEGIN TRANSACTION"), 0);
            d->inTransaction = true;
        }
        void commit() override
        {
            if (!d->db.commit()) d->fail(d->db.lastError(), QStringLiteral("COMMIT"), 0);
            d->inTransaction = false;
        }
        void rollback() override
        {
            d->inTransaction = false;
            if (!d->db.rollback()) d->fail(d->db.lastError(), QStringLiteral("ROLLBACK"), 0);
        }
    };

    void armTimeout(int seconds)
    {
        if (!handle)
            return;
        const int lockWait = seconds > 0 ? seconds * 1000 : busyMs;
        sqlite3_busy_timeout(handle, lockWait);
        deadline.expired = false;
        deadline.until = seconds > 0 ? QDateTime::currentMSecsSinceEpoch() + qint64(seconds) * 1000 : 0;
    }

    void disarm() { deadline.until = 0; }

    [[noreturn]] void fail(const QSqlError &error, const QString &original, int seconds) const
    {
        if (deadline.expired)
            throw DbError(QStringLiteral("执行超时（超过 %1 秒），语句已中止").arg(seconds), original);
        QString text = error.databaseText().trimmed();
        if (text.isEmpty())
            text = error.text().trimmed();
        const QString low = text.toLower();
        if (low.contains(QLatin1String("database is locked")) || low.contains(QLatin1String("database table is locked")))
            throw DbError(QStringLiteral("数据库被其他程序锁定，等待后仍无法访问：%1").arg(text), original);
        if (!embedded && (odbcConnectionDead() || low.contains(QLatin1String("communication link"))
                          || error.nativeErrorCode().startsWith(QLatin1String("08"))))
            throw DbError(QStringLiteral("数据库连接已断开：%1").arg(text), original);
        throw DbError(QStringLiteral("数据库错误：%1").arg(text), original);
    }

    // The driver's own view of the link: dead, or no longer connected at all.
    bool odbcConnectionDead() const
    {
        if (embedded || !db.isValid())
            return false;
        const QVariant h = db.driver()->handle();
        if (!h.isValid() || db.driverName() != QLatin1String("QODBC") || h.metaType().sizeOf() != sizeof(SQLHANDLE))
            return false;
        SQLHANDLE hdbc = *static_cast<SQLHANDLE const *>(h.constData());
        SQLUINTEGER dead = SQL_CD_FALSE;
        const SQLRETURN r = SQLGetConnectAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
        return !SQL_SUCCEEDED(r) || dead == SQL_CD_TRUE;
    }

    void bind(QSqlQuery &q, const sql::SqliteStatement &st, const SqlParams &params) const
    {
        auto find = [&](const QString &name) -> QVariant {
            for (const auto &p : params) {
                QString k = p.first;
                if (k.startsWith(QLatin1Char(':')))
                    k.remove(0, 1);
                if (k.compare(name, Qt::CaseInsensitive) == 0)
                    return p.second;
            }
            return {};
        };
        QStringList names = st.params;
        if (names.isEmpty() && !embedded)
            names = sql::parameterNames(st.text);
        for (const QString &n : names) {
            QVariant v = find(n);
            if (embedded && v.typeId() == QMetaType::QDate)
                v = sql::storedDateOnly(v.toDate());
            else if (embedded && v.typeId() == QMetaType::QDateTime)
                v = sql::storedDate(v.toDateTime());
            q.bindValue(QLatin1Char(':') + n, v);
        }
    }

    // Runs every statement; the last one's query stays in `q` for reading. A T-SQL batch runs
    // through the batch runner, its first query's rows going to `batchRows`.
    int run(QSqlQuery &q, const QString &original, const SqlParams &params, int seconds, QueryResult *batchRows = nullptr,
            bool part = false)
    {
        if (!db.isOpen())
            throw DbError(QStringLiteral("数据库未打开"), original);
        SqlParams literals;
        QString key;
        const QList<sql::SqliteStatement> sts = statements(original, part, sharing ? &literals : nullptr, &key);
        if (sts.size() == 1 && sts.first().script) {
            auto script = scripts.value(original);
            if (!script) script = sql::parseScript(original);
            BatchHost host(this, seconds);
            QueryResult rows;
            const int n = sql::runScript(*script, original, host, params, &rows);
            if (batchRows) *batchRows = rows;
            return n;
        }
        armTimeout(seconds);
        int affected = 0;
        for (int i = 0; i < sts.size(); ++i) {
            const sql::SqliteStatement &st = sts[i];
            q.setForwardOnly(true);
            if (!st.intoTable.isEmpty()) {
                selectInto(q, st, original, literals.isEmpty() ? params : params + literals, seconds, sts.size() == 1 ? key : QString());
                continue;
            }
            bool ok;
            const bool hasParams = !st.params.isEmpty() || (!embedded && !params.isEmpty());
            if (embedded && sharing && shareable({st})) {
                ok = preparedQuery(q, st.text);
                if (ok) {
                    bind(q, st, literals.isEmpty() ? params : params + literals);
                    ok = q.exec();
                }
            } else if (hasParams) {
                ok = q.prepare(st.text);
                if (ok) {
                    bind(q, st, params);
                    ok = q.exec();
                }
            } else {
                ok = q.exec(st.text);
            }
            if (!ok) {
                disarm();
                fail(q.lastError(), original, seconds);
            }
            affected = q.numRowsAffected();
            const QVariant id = q.lastInsertId();
            if (id.isValid())
                lastId = id;
            if (st.changesSchema)
                schemaChanged(st.schemaTable, sts.size() == 1 ? key : QString());
            if (i + 1 < sts.size())
                q.finish();
        }
        disarm();
        return affected;
    }

    // SELECT ... INTO: a new table with the select's columns (declared types kept, texts with
    // the engine's text collation), filled by the select; nothing is left behind when it fails.
    void selectInto(QSqlQuery &q, const sql::SqliteStatement &st, const QString &original, const SqlParams &params, int seconds,
                    const QString &key)
    {
        const QByteArray text = st.text.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
            const QString err = QString::fromUtf8(sqlite3_errmsg(handle));
            sqlite3_finalize(stmt);
            disarm();
            throw DbError(QStringLiteral("数据库错误：%1").arg(err), original);
        }
        QStringList defs, seen;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            QString name = QString::fromUtf8(sqlite3_column_name(stmt, i));
            const QString base = name;
            for (int k = 1; seen.contains(name, Qt::CaseInsensitive); ++k) name = base + QString::number(k);
            seen.append(name);
            const char *decl = sqlite3_column_decltype(stmt, i);
            QString type = decl ? QString::fromUtf8(decl) : QString();
            const int collate = type.indexOf(QLatin1String(" COLLATE "), 0, Qt::CaseInsensitive);
            if (collate >= 0) type.truncate(collate);
            QString quoted = name;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            defs.append(QLatin1Char('"') + quoted + QStringLiteral("\" ") + (type.isEmpty() ? QStringLiteral("COLLATE ") + QLatin1String(sql::kTextCollation) : sql::sqliteColumnType(type)));
        }
        sqlite3_finalize(stmt);
        // one unit: the new table exists filled, or not at all
        if (!q.exec(QStringLiteral("SAVEPOINT wage_select_into"))) {
            disarm();
            fail(q.lastError(), original, seconds);
        }
        auto undo = [&]() {
            QSqlQuery back(db);
            back.exec(QStringLiteral("ROLLBACK TO wage_select_into"));
            back.exec(QStringLiteral("RELEASE wage_select_into"));
            schemaChanged(st.intoTable, key);
            disarm();
        };
        QString target = st.intoTable;
        target.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        target = QLatin1Char('"') + target + QLatin1Char('"');
        // #name: a temporary table of this connection, gone when it closes
        const QString create = st.intoTable.startsWith(QLatin1Char('#')) ? QStringLiteral("CREATE TEMP TABLE %1 (%2)") : QStringLiteral("CREATE TABLE %1 (%2)");
        if (!q.exec(create.arg(target, defs.join(QLatin1Char(','))))) {
            const QSqlError error = q.lastError();
            undo();
            fail(error, original, seconds);
        }
        schemaChanged(st.intoTable, key);
        sql::SqliteStatement fill;
        fill.text = QStringLiteral("INSERT INTO %1 %2").arg(target, st.text);
        fill.params = st.params;
        bool ok = fill.params.isEmpty() ? q.exec(fill.text) : (q.prepare(fill.text) && (bind(q, fill, params), q.exec()));
        if (!ok) {
            const QSqlError error = q.lastError();
            undo();
            fail(error, original, seconds);
        }
        q.exec(QStringLiteral("RELEASE wage_select_into"));
    }

    void record(const QString &sql, Connection *owner)
    {
        if (tracing)
            trace.append(sql);
        emit owner->statementRun(sql);
    }
};

Connection::Connection(QObject *parent) : QObject(parent), d(new Private) {}

Connection::~Connection()
{
    close();
    delete d;
}

void Connection::openFile(const QString &path, Dialect dialect)
{
    close();
    if (QFileInfo::exists(path) && isJetFile(path))
        throw DbError(QStringLiteral("“%1”是 Access（Jet/ACE）数据库文件，本程序的内置数据库引擎不能打开它；文件未作任何改动。")
                          .arg(QDir::toNativeSeparators(path)),
                      QString());
    d->db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), d->name);
    d->db.setDatabaseName(path);
    if (!d->db.open()) {
        const QString text = d->db.lastError().text();
        d->db = QSqlDatabase();
        QSqlDatabase::removeDatabase(d->name);
        throw DbError(QStringLiteral("无法打开数据库文件“%1”：%2").arg(QDir::toNativeSeparators(path), text), QString());
    }
    const QVariant h = d->db.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
        d->handle = *static_cast<sqlite3 *const *>(h.constData());
    if (!d->handle || !sql::registerSqliteFunctions(d->handle, dialect == Dialect::MsSql)) {
        close();
        throw DbError(QStringLiteral("无法在数据库连接上注册函数"), QString());
    }
    // A double-quoted name that matches no column must be an error, never a text.
    sqlite3_db_config(d->handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(d->handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // The Bloom filter that guards automatic indexes hashes text bytes, so two texts that the
    // text collation finds equal ("G01 " and "G01") would miss each other in joins. Off.
    sqlite3_test_control(SQLITE_TESTCTRL_OPTIMIZATIONS, d->handle, 0x00080000 /* SQLITE_BloomFilter */);
    sqlite3_progress_handler(d->handle, 2000, progressCheck, &d->deadline);
    reindexTextOnce(d->handle, d->busyMs);
    d->dialect = dialect;
    d->embedded = true;
    d->path = QFileInfo(path).absoluteFilePath();
}

void Connection::openOdbc(const QString &odbcConnectionString, Dialect dialect)
{
    close();
    d->db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), d->name);
    d->db.setDatabaseName(odbcConnectionString);
    if (!d->db.open()) {
        const QString text = d->db.lastError().text();
        d->db = QSqlDatabase();
        QSqlDatabase::removeDatabase(d->name);
        throw DbError(QStringLiteral("无法连接数据库：%1").arg(text), QString());
    }
    d->dialect = dialect;
    d->embedded = false;
}

void Connection::openDescription(const QString &connectionstr, const QString &accessPath)
{
    const QString text = connectionstr.trimmed();
    const int hash = text.indexOf(QLatin1Char('#'));
    const QString word = (hash < 0 ? text : text.left(hash)).trimmed().toUpper();
    const QString rest = hash < 0 ? QString() : text.mid(hash + 1);
    if (word == QLatin1String("ODBC")) {
        openOdbc(rest, Dialect::MsSql);
        return;
    }
    if (word == QLatin1String("MSSQL")) {
        const QStringList parts = rest.split(QLatin1Char('#'));
        const QString first = parts.value(0).trimmed();
        if (first.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            openFile(first.mid(5), Dialect::MsSql);
            return;
        }
        const QString server = first;
        const int comma = server.indexOf(QLatin1Char(','));
        const QString host = comma < 0 ? server : server.left(comma).trimmed();
        const QString port = comma < 0 ? QStringLiteral("1433") : server.mid(comma + 1).trimmed();
        QString odbc = QStringLiteral("DRIVER={FreeTDS};Server=%1;Port=%2;Database=%3;UID=%4;PWD=%5;TDS_Version=7.4;ClientCharset=UTF-8")
                           .arg(host, port, parts.value(1).trimmed(), parts.value(2).trimmed(), parts.value(3));
        openOdbc(odbc, Dialect::MsSql);
        return;
    }
    openFile(accessPath, Dialect::Access);
}

void Connection::close()
{
    d->prepared.clear();
    if (d->db.isValid()) {
        if (d->db.isOpen())
            d->db.close();
        d->db = QSqlDatabase();
        QSqlDatabase::removeDatabase(d->name);
    }
    d->handle = nullptr;
    d->embedded = false;
    d->inTransaction = false;
    d->path.clear();
    d->schemaChanged();
}

bool Connection::isOpen() const { return d->db.isValid() && d->db.isOpen(); }
Dialect Connection::dialect() const { return d->dialect; }
bool Connection::isEmbedded() const { return d->embedded; }
QString Connection::databasePath() const { return d->path; }

int Connection::execute(const QString &sql, const SqlParams &params, int timeoutSeconds)
{
    d->record(sql, this);
    QSqlQuery q(d->db);
    const int n = d->run(q, sql, params, timeoutSeconds);
    q.finish();
    return n;
}

QueryResult Connection::query(const QString &sql, const SqlParams &params)
{
    return queryRows(sql, -1, params);
}

QueryResult Connection::queryRows(const QString &sql, int maxRows, const SqlParams &params)
{
    d->record(sql, this);
    QSqlQuery q(d->db);
    QueryResult r;
    d->run(q, sql, params, d->commandTimeout, &r);
    if (!r.columns.isEmpty() || !q.isActive()) {
        // a T-SQL batch: the rows of its first query
        if (maxRows >= 0 && r.rows.size() > maxRows) r.rows.resize(maxRows);
        return r;
    }
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        r.columns.append(rec.fieldName(i));
    d->armTimeout(d->commandTimeout);
    while ((maxRows < 0 || r.rows.size() < maxRows) && q.next()) {
        QVariantList row;
        row.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row.append(q.value(i));
        r.rows.append(row);
    }
    const bool failed = q.lastError().isValid() && q.lastError().type() != QSqlError::NoError;
    const QSqlError error = q.lastError();
    q.finish();
    d->disarm();
    if (failed)
        d->fail(error, sql, d->commandTimeout);
    return r;
}

QStringList Connection::queryEach(const QString &sql, const SqlParams &params,
                                  const std::function<void(QVariantList &row)> &row)
{
    d->record(sql, this);
    QSqlQuery q(d->db);
    QueryResult batch;
    d->run(q, sql, params, d->commandTimeout, &batch);
    if (!batch.columns.isEmpty() || !q.isActive()) {
        // a T-SQL batch has already run: hand on the rows of its first query
        for (QVariantList &r : batch.rows)
            row(r);
        return batch.columns;
    }
    QStringList names;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        names.append(rec.fieldName(i));
    d->armTimeout(d->commandTimeout);
    QString error;
    const bool ok = readQueryRows(q, d->embedded ? d->handle : nullptr, int(names.size()), row, &error);
    d->disarm();
    if (!ok)
        d->fail(error.isEmpty() ? q.lastError() : QSqlError(error, error), sql, d->commandTimeout);
    return names;
}

QStringList Connection::columns(const QString &sql)
{
    d->record(sql, this);
    if (!isOpen())
        throw DbError(QStringLiteral("数据库未打开"), sql);
    if (d->embedded) {
        const QList<sql::SqliteStatement> sts = d->statements(sql);
        if (sts.last().script)
            return queryRows(sql, 0).columns;
        const QByteArray text = sts.last().text.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(d->handle, text.constData(), int(text.size()), &stmt, nullptr) != SQLITE_OK) {
            const QString err = QString::fromUtf8(sqlite3_errmsg(d->handle));
            sqlite3_finalize(stmt);
            throw DbError(QStringLiteral("数据库错误：%1").arg(err), sql);
        }
        QStringList names;
        for (int i = 0; stmt && i < sqlite3_column_count(stmt); ++i)
            names.append(QString::fromUtf8(sqlite3_column_name(stmt, i)));
        sqlite3_finalize(stmt);
        return names;
    }
    QSqlQuery q(d->db);
    d->run(q, sql, {}, d->commandTimeout);
    QStringList names;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        names.append(rec.fieldName(i));
    return names;
}

void Connection::beginTransaction()
{
    if (!isOpen())
        throw DbError(QStringLiteral("数据库未打开"), QString());
    if (d->inTransaction)
        throw DbError(QStringLiteral("事务已经开始"), QString());
    if (!d->db.transaction())
        d->fail(d->db.lastError(), QStringLiteral("BEGIN TRANSACTION"), 0);
    d->inTransaction = true;
}

void Connection::commit()
{
    if (!d->inTransaction)
        throw DbError(QStringLiteral("没有进行中的事务"), QString());
    if (!d->db.commit())
        d->fail(d->db.lastError(), QStringLiteral("COMMIT"), 0);
    d->inTransaction = false;
}

void Connection::rollback()
{
    if (!d->inTransaction)
        return;
    d->inTransaction = false;
    if (!d->db.rollback())
        d->fail(d->db.lastError(), QStringLiteral("ROLLBACK"), 0);
}

bool Connection::inTransaction() const { return d->inTransaction; }

QStringList Connection::tableNames()
{
    if (!isOpen())
        throw DbError(QStringLiteral("数据库未打开"), QString());
    QStringList names;
    if (d->embedded) {
        QSqlQuery q(d->db);
        if (!q.exec(QStringLiteral("select name from sqlite_master where type='table' and name not like 'sqlite\\_%' escape '\\'")))
            d->fail(q.lastError(), QString(), 0);
        while (q.next())
            names.append(q.value(0).toString());
    } else {
        names = d->db.tables(QSql::Tables);
        if (d->db.lastError().isValid() && d->db.lastError().type() != QSqlError::NoError && names.isEmpty())
            d->fail(d->db.lastError(), QString(), 0);
    }
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QVariant Connection::lastInsertId()
{
    if (d->embedded && d->handle)
        return QVariant(qlonglong(sqlite3_last_insert_rowid(d->handle)));
    if (d->lastId.isValid())
        return d->lastId;
    // the server's identity, else what other ODBC sources call it
    for (const char *sql : {"select @@IDENTITY", "select last_insert_rowid()"}) {
        QSqlQuery q(d->db);
        if (q.exec(QLatin1String(sql)) && q.next() && !q.value(0).isNull())
            return q.value(0);
    }
    return {};
}

QString Connection::translate(const QString &sql) const
{
    QStringList texts;
    for (const auto &st : d->statements(sql))
        texts.append(st.text);
    return texts.join(QStringLiteral(";\n"));
}

QSqlDatabase Connection::database() const { return d->db; }

void Connection::setTracing(bool on) { d->tracing = on; }
QStringList Connection::trace() const { return d->trace; }
void Connection::clearTrace() { d->trace.clear(); }

void Connection::setCommandTimeout(int seconds) { d->commandTimeout = seconds; }
int Connection::commandTimeout() const { return d->commandTimeout; }
void Connection::setLockTimeout(int milliseconds) { d->busyMs = milliseconds; }

sqlite3 *Connection::sqliteHandle() const { return d->handle; }

void Connection::setStatementSharing(bool on)
{
    d->sharing = on; // what is cached stays valid either way
}

} // namespace wage
