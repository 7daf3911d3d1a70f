#include "db/datasetwriter.h"
#include "db/datasetrows.h"

#include "db/sqldates.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QSqlResult>

#include <sqlite3.h>

namespace wage {

namespace {

const QVariant &noValue()
{
    static const QVariant none;
    return none;
}

// As the driver binds: integers, doubles, blobs, NULL, and everything else as text.
int bindValue(sqlite3_stmt *stmt, int index, const QVariant &v)
{
    // The common values of a post, read in place.
    const int type = v.typeId();
    if (type == QMetaType::Double && !v.isNull())
        return sqlite3_bind_double(stmt, index, *static_cast<const double *>(v.constData()));
    if (type == QMetaType::LongLong && !v.isNull())
        return sqlite3_bind_int64(stmt, index, *static_cast<const qlonglong *>(v.constData()));
    if (!v.isValid() || v.isNull())
        return sqlite3_bind_null(stmt, index);
    switch (v.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        return sqlite3_bind_blob(stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::Bool: case QMetaType::Int: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
        return sqlite3_bind_int(stmt, index, v.toInt());
    case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong: case QMetaType::Long:
    case QMetaType::ULong:
        return sqlite3_bind_int64(stmt, index, v.toLongLong());
    case QMetaType::Double: case QMetaType::Float:
        return sqlite3_bind_double(stmt, index, v.toDouble());
    case QMetaType::QTime:
        return bindValue(stmt, index, v.toTime().toString(QStringLiteral("hh:mm:ss.zzz")));
    default: {
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

DatasetWriter::DatasetWriter() = default;
DatasetWriter::~DatasetWriter() = default;

void DatasetWriter::dropStatements()
{
    m_statements.clear();
    m_last = nullptr;
    m_lastSql.clear();
}

void DatasetWriter::reset()
{
    dropStatements();
    m_handle = nullptr;
    m_shapes.clear();
    m_lastShape.clear();
    m_lastShapeSql.clear();
    m_locating.clear();
    m_signature.clear();
    m_table.clear();
    m_columns.clear();
    m_fieldColumn.clear();
    m_keyFields.clear();
    m_identityField = -1;
}

void DatasetWriter::finish()
{
    // A closed dataset holds no statement of the connection, which may then close freely.
    dropStatements();
    m_handle = nullptr;
}

QString DatasetWriter::declaredType(int field) const
{
    const int c = baseColumnOfField(field);
    return c < 0 ? QString() : m_columns[c].type;
}

QStringList DatasetWriter::keyColumns() const
{
    QStringList out;
    for (int f : m_keyFields)
        out.append(m_columns[m_fieldColumn[f]].name);
    return out;
}

void DatasetWriter::describe(Connection *connection, const QString &table, const QStringList &fieldNames,
                             const QStringList &keyFields)
{
    const QString signature = table + QLatin1Char('\n') + fieldNames.join(QLatin1Char('\t')) + QLatin1Char('\n')
                              + keyFields.join(QLatin1Char('\t'));
    if (connection == m_connection && signature == m_signature && !m_signature.isEmpty())
        return;
    reset();
    m_connection = connection;
    m_embedded = connection && connection->isEmbedded();
    m_signature = signature;
    m_fieldColumn = QVector<int>(fieldNames.size(), -1);
    if (!connection || table.isEmpty())
        return;
    m_table = table;

    QList<int> pkColumns;   // in key order
    const QSqlDatabase db = connection->database();
    if (m_embedded) {
        QSqlQuery q(db);
        QString name = table;
        name.replace(QLatin1Char('"'), QLatin1String("\"\""));
        if (!q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(name)))
            return;
        QMap<int, int> pkOrder;
        while (q.next()) {
            Column c;
            c.name = q.value(1).toString();
            c.type = q.value(2).toString();
            c.blob = c.type.contains(QLatin1String("blob"), Qt::CaseInsensitive)
                     || c.type.contains(QLatin1String("image"), Qt::CaseInsensitive);
            const int pk = q.value(5).toInt();
            if (pk > 0)
                pkOrder.insert(pk, m_columns.size());
            m_columns.append(c);
        }
        pkColumns = pkOrder.values();
        // A single INTEGER PRIMARY KEY is SQLite's row id: the auto-number of the table.
        if (pkColumns.size() == 1 && m_columns[pkColumns[0]].type.compare(QLatin1String("integer"), Qt::CaseInsensitive) == 0)
            m_columns[pkColumns[0]].identity = true;
    } else {
        const QSqlRecord rec = db.record(table);
        for (int i = 0; i < rec.count(); ++i) {
            const QSqlField f = rec.field(i);
            Column c;
            c.name = f.name();
            switch (f.metaType().id()) {
            case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::Short:
                c.type = QStringLiteral("int"); break;
            case QMetaType::Double: c.type = QStringLiteral("float"); break;
            case QMetaType::Bool: c.type = QStringLiteral("bit"); break;
            case QMetaType::QDate: case QMetaType::QDateTime: case QMetaType::QTime:
                c.type = QStringLiteral("datetime"); break;
            case QMetaType::QByteArray: c.type = QStringLiteral("image"); c.blob = true; break;
            default: c.type = QStringLiteral("text"); break;
            }
            c.identity = f.isAutoValue();
            m_columns.append(c);
        }
        const QSqlIndex pk = db.primaryIndex(table);
        for (int i = 0; i < pk.count(); ++i)
            for (int c = 0; c < m_columns.size(); ++c)
                if (m_columns[c].name.compare(pk.fieldName(i), Qt::CaseInsensitive) == 0)
                    pkColumns.append(c);
        if (pkColumns.isEmpty())
            for (int c = 0; c < m_columns.size(); ++c)
                if (m_columns[c].identity)
                    pkColumns.append(c);
    }
    if (m_columns.isEmpty()) {
        m_table.clear();
        return;
    }

    for (int f = 0; f < fieldNames.size(); ++f) {
        for (int c = 0; c < m_columns.size(); ++c) {
            if (m_columns[c].name.compare(fieldNames[f], Qt::CaseInsensitive) != 0)
                continue;
            // A column selected twice is written through its first field only.
            if (!m_fieldColumn.contains(c))
                m_fieldColumn[f] = c;
            break;
        }
        if (m_fieldColumn[f] >= 0 && m_columns[m_fieldColumn[f]].identity)
            m_identityField = f;
    }

    auto fieldOfColumn = [this](int c) { return int(m_fieldColumn.indexOf(c)); };
    QList<int> key;
    if (!keyFields.isEmpty()) {
        for (const QString &k : keyFields) {
            int found = -1;
            for (int f = 0; f < fieldNames.size(); ++f)
                if (m_fieldColumn[f] >= 0 && fieldNames[f].compare(k.trimmed(), Qt::CaseInsensitive) == 0)
                    found = f;
            if (found < 0) {
                key.clear();
                break;
            }
            key.append(found);
        }
    } else {
        for (int c : pkColumns) {
            const int f = fieldOfColumn(c);
            if (f < 0) {
                key.clear();
                break;
            }
            key.append(f);
        }
    }
    m_keyFields = key;
    m_locating = locatingFields();
}

QString DatasetWriter::quoted(const QString &name) const
{
    if (m_embedded) {
        QString n = name;
        n.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + n + QLatin1Char('"');
    }
    QString n = name;
    n.replace(QLatin1Char(']'), QLatin1String("]]"));
    return QLatin1Char('[') + n + QLatin1Char(']');
}

QVariant DatasetWriter::bindable(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant(QMetaType::fromType<QString>());
    if (value.typeId() == QMetaType::QDate && m_embedded)
        return sql::storedDateOnly(value.toDate());
    if (value.typeId() == QMetaType::QDateTime && m_embedded)
        return sql::storedDate(value.toDateTime());
    return value;
}

void DatasetWriter::requireTable(const QString &what) const
{
    if (!canWrite())
        throw DbError(QStringLiteral("无法%1：查询没有可写回的数据表").arg(what), QString());
}

QList<int> DatasetWriter::locatingFields() const
{
    if (!m_keyFields.isEmpty())
        return m_keyFields;
    // No key: the row is the one whose every column still holds what was read.
    QList<int> out;
    for (int f = 0; f < m_fieldColumn.size(); ++f) {
        const int c = m_fieldColumn[f];
        if (c >= 0 && !(m_columns[c].blob && !m_embedded))
            out.append(f);
    }
    return out;
}

void DatasetWriter::whereBinds(const StoredRow &original, char *shape)
{
    *shape++ = 'W';
    for (int f : m_locating) {
        const QVariant &v = original.at(f);
        const bool null = v.isNull();
        *shape++ = null ? 'n' : 'v';
        if (!null)
            m_binds.push_back(&v);
    }
}

QString DatasetWriter::whereText(const StoredRow &original) const
{
    QStringList parts;
    for (int f : m_locating) {
        const QString col = quoted(m_columns[m_fieldColumn[f]].name);
        parts.append(original.at(f).isNull() ? col + QLatin1String(" IS NULL") : col + QLatin1String("=?"));
    }
    return parts.join(QLatin1String(" AND "));
}

DatasetWriter::Statement &DatasetWriter::prepared(const QString &sql)
{
    // A connection closed and opened again has a new driver; statements of the old one are dead.
    // On the embedded engine its handle tells the same for less.
    sqlite3 *handle = m_embedded ? m_connection->sqliteHandle() : nullptr;
    if (!handle || handle != m_handle) {
        const QSqlDriver *driver = m_connection->database().driver();
        if (driver != m_driver || handle != m_handle) {
            dropStatements();
            m_driver = driver;
        }
        m_handle = handle;
    }
    // A run of posts uses one statement: its text is the very string of the last run.
    if (m_last && sql.constData() == m_lastSql.constData() && sql.size() == m_lastSql.size())
        return *m_last;
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        auto s = std::make_shared<Statement>(Statement{QSqlQuery(m_connection->database()), nullptr});
        QSqlQuery &q = s->query;
        q.setForwardOnly(true);
        if (!q.prepare(sql)) {
            const QString text = q.lastError().databaseText().trimmed().isEmpty() ? q.lastError().text()
                                                                                   : q.lastError().databaseText();
            throw DbError(QStringLiteral("数据库错误：%1").arg(text.trimmed()), sql);
        }
        s->stmt = m_embedded ? statementOf(q) : nullptr;
        if (m_statements.size() > 64)
            dropStatements();
        it = m_statements.insert(sql, s);
    }
    m_last = it.value().get();
    m_lastSql = sql;
    return *m_last;
}

int DatasetWriter::run(const QString &sql, QVariant *insertId)
{
    if (!m_connection || !m_connection->isOpen())
        throw DbError(QStringLiteral("数据库未打开"), sql);
    Statement &prep = prepared(sql);
    emit m_connection->statementRun(sql);
    if (sqlite3_stmt *stmt = prep.stmt) {
        // Every run ends with a reset, and binds every parameter of its statement.
        sqlite3 *db = sqlite3_db_handle(stmt);
        int rc = SQLITE_OK;
        for (size_t i = 0; i < m_binds.size() && rc == SQLITE_OK; ++i) {
            const QVariant &v = *m_binds[i];
            const int t = v.typeId();
            rc = t == QMetaType::QDate || t == QMetaType::QDateTime ? bindValue(stmt, int(i) + 1, bindable(v))
                                                                    : bindValue(stmt, int(i) + 1, v);
        }
        if (rc == SQLITE_OK)
            rc = sqlite3_step(stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
            const QString text = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
            throw DbError(QStringLiteral("数据库错误：%1").arg(text.trimmed()), sql);
        }
        const int affected = sqlite3_changes(db);
        if (insertId)
            *insertId = QVariant(qlonglong(sqlite3_last_insert_rowid(db)));
        sqlite3_reset(stmt);
        return affected;
    }
    QSqlQuery &q = prep.query;
    for (size_t i = 0; i < m_binds.size(); ++i)
        q.bindValue(int(i), bindable(*m_binds[i]));
    if (!q.exec()) {
        const QSqlError e = q.lastError();
        const QString text = e.databaseText().trimmed().isEmpty() ? e.text() : e.databaseText();
        q.finish();
        throw DbError(QStringLiteral("数据库错误：%1").arg(text.trimmed()), sql);
    }
    const int affected = q.numRowsAffected();
    if (insertId)
        *insertId = q.lastInsertId();
    q.finish();
    return affected;
}

void DatasetWriter::insertRow(QVariantList &values, const QVector<bool> &dirty)
{
    requireTable(QStringLiteral("新增记录"));
    // As for updates: the statement depends only on which fields are written, so its text is
    // made once per shape (a batch of new records has one) and the prepared statement reused.
    QByteArray &shape = m_shape;
    shape.resize(0);
    shape.append('I');
    m_binds.clear();
    for (int f = 0; f < m_fieldColumn.size(); ++f) {
        const int c = m_fieldColumn[f];
        const QVariant &v = f < values.size() ? values.at(f) : noValue();
        const bool set = c >= 0 && !(v.isNull() && (m_columns[c].identity || !dirty.value(f)));
        shape.append(set ? '1' : '0');
        if (set)
            m_binds.push_back(&v);
    }
    auto it = m_shapes.constFind(shape);
    if (it == m_shapes.constEnd()) {
        QStringList cols, marks;
        for (int f = 0; f < m_fieldColumn.size(); ++f) {
            if (shape[f + 1] == '1') {
                cols.append(quoted(m_columns[m_fieldColumn[f]].name));
                marks.append(QStringLiteral("?"));
            }
        }
        const QString sql = cols.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table))
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(quoted(m_table), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        it = m_shapes.insert(shape, sql);
    }
    QVariant id;
    run(it.value(), &id);

    if (m_embedded && id.isValid()) {
        // Read the row back by its row id: auto-number and column defaults become visible.
        QList<int> fieldsRead;
        for (int f = 0; f < m_fieldColumn.size(); ++f)
            if (m_fieldColumn[f] >= 0)
                fieldsRead.append(f);
        auto back = m_shapes.constFind(QByteArrayLiteral("R"));
        if (back == m_shapes.constEnd()) {
            QStringList sel;
            for (int f : fieldsRead)
                sel.append(quoted(m_columns[m_fieldColumn[f]].name));
            back = m_shapes.insert(QByteArrayLiteral("R"),
                                   QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(sel.join(QLatin1Char(',')), quoted(m_table)));
        }
        QSqlQuery &q = prepared(back.value()).query;
        q.bindValue(0, id);
        if (q.exec() && q.next())
            for (int i = 0; i < fieldsRead.size(); ++i)
                values[fieldsRead[i]] = q.value(i);
        q.finish();
        return;
    }
    if (m_identityField >= 0 && values.value(m_identityField).isNull()) {
        if (!id.isValid()) {
            QSqlQuery q(m_connection->database());
            if (q.exec(QStringLiteral("SELECT @@IDENTITY")) && q.next())
                id = q.value(0);
        }
        values[m_identityField] = id;
    }
}

int DatasetWriter::updateRow(const StoredRow &original, const QVariantList &values, const QVector<bool> &dirty)
{
    // The statement depends only on which fields changed and which located values are NULL:
    // its text is made once per shape and the prepared statement reused.
    const int fieldCount = int(dirty.size());
    QByteArray &shape = m_shape;
    shape.resize(1 + fieldCount + 1 + m_locating.size());
    char *p = shape.data();
    *p++ = 'U';
    m_binds.clear();
    bool anyDirty = false, anySet = false;
    const bool *changed = dirty.constData();
    const int *columnOf = m_fieldColumn.constData();
    const int mapped = int(m_fieldColumn.size());
    const Column *columns = m_columns.constData();
    for (int f = 0; f < fieldCount; ++f) {
        const int c = f < mapped ? columnOf[f] : -1;
        const bool set = changed[f] && c >= 0 && !columns[c].identity;
        anyDirty = anyDirty || changed[f];
        anySet = anySet || set;
        *p++ = set ? '1' : '0';
        if (set)
            m_binds.push_back(f < values.size() ? &values.at(f) : &noValue());
    }
    if (!anySet) {
        if (anyDirty && !canWrite())
            requireTable(QStringLiteral("保存修改"));
        return 1;   // only fields outside the table changed: nothing to write
    }
    whereBinds(original, p);
    // Record after record has the same shape as the one before.
    if (!m_lastShape.isEmpty() && shape == m_lastShape) {
        const int n = run(m_lastShapeSql);
        if (n == 0)
            throw DbError(QStringLiteral("找不到要更新的记录：它已被删除，或在读取后被其他用户修改。"), m_lastShapeSql);
        return n;
    }
    auto it = m_shapes.constFind(shape);
    if (it == m_shapes.constEnd()) {
        QStringList sets;
        for (int f = 0; f < fieldCount; ++f)
            if (shape[f + 1] == '1')
                sets.append(quoted(m_columns[m_fieldColumn[f]].name) + QLatin1String("=?"));
        const QString where = whereText(original);
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(quoted(m_table), sets.join(QLatin1Char(',')), where);
        if (where.isEmpty())
            throw DbError(QStringLiteral("无法定位要更新的记录"), sql);
        it = m_shapes.insert(shape, sql);
    }
    m_lastShape = it.key();
    m_lastShapeSql = it.value();
    const int n = run(it.value());
    if (n == 0)
        throw DbError(QStringLiteral("找不到要更新的记录：它已被删除，或在读取后被其他用户修改。"), it.value());
    return n;
}

int DatasetWriter::deleteRow(const StoredRow &original)
{
    requireTable(QStringLiteral("删除记录"));
    QByteArray &shape = m_shape;
    shape.resize(1 + 1 + m_locating.size());
    shape[0] = 'D';
    m_binds.clear();
    whereBinds(original, shape.data() + 1);
    auto it = m_shapes.constFind(shape);
    if (it == m_shapes.constEnd()) {
        const QString where = whereText(original);
        const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(quoted(m_table), where);
        if (where.isEmpty())
            throw DbError(QStringLiteral("无法定位要删除的记录"), sql);
        it = m_shapes.insert(shape, sql);
    }
    return run(it.value());
}

} // namespace wage
