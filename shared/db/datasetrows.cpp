#include "db/datasetrows.h"

#include <QHash>
#include <QSqlError>
#include <QSqlResult>

#include <sqlite3.h>

#include <vector>

namespace wage {

namespace {

// Distinct texts kept per column while reading; a column with more (notes, numbers of their
// own) stops sharing, so the pool never outgrows the rows.
constexpr int kPoolLimit = 4096;

struct TextPool {
    QHash<QByteArray, QString> texts;
    bool off = false;

    QString text(const char *s, int n)
    {
        if (off)
            return QString::fromUtf8(s, n);
        const auto it = texts.constFind(QByteArray::fromRawData(s, n));
        if (it != texts.constEnd())
            return it.value();
        QString v = QString::fromUtf8(s, n);
        if (texts.size() >= kPoolLimit) {
            off = true;
            texts = {};
            return v;
        }
        texts.insert(QByteArray(s, n), v);
        return v;
    }

    void share(QVariant &v)
    {
        if (off || v.typeId() != QMetaType::QString || v.isNull())
            return;
        const QByteArray utf8 = static_cast<const QString *>(v.constData())->toUtf8();
        v = text(utf8.constData(), int(utf8.size()));
    }
};

} // namespace

sqlite3_stmt *statementOf(const QSqlQuery &q)
{
    const QSqlResult *r = q.result();
    if (!r)
        return nullptr;
    const QVariant h = r->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    return *static_cast<sqlite3_stmt *const *>(h.constData());
}

bool readQueryRows(QSqlQuery &q, sqlite3 *handle, int columns, const RowSink &row, QString *error)
{
    std::vector<TextPool> pools(size_t(columns > 0 ? columns : 0));
    QVariantList values;
    // The driver has fetched the first row already; it is taken from there.
    if (!q.next())
        return !q.lastError().isValid() || q.lastError().type() == QSqlError::NoError;
    values.reserve(columns);
    for (int i = 0; i < columns; ++i) {
        QVariant v = q.value(i);
        pools[size_t(i)].share(v);
        values.append(std::move(v));
    }
    row(values);
    sqlite3_stmt *stmt = handle ? statementOf(q) : nullptr;
    if (!stmt) {
        while (q.next()) {
            values = QVariantList();
            values.reserve(columns);
            for (int i = 0; i < columns; ++i)
                values.append(q.value(i));
            row(values);
        }
        return !q.lastError().isValid() || q.lastError().type() == QSqlError::NoError;
    }
    // The same values the driver gives, read straight from the statement.
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE)
            return true;
        if (rc != SQLITE_ROW) {
            *error = QString::fromUtf8(sqlite3_errmsg(handle));
            return false;
        }
        values = QVariantList();
        values.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                values.append(QVariant(qlonglong(sqlite3_column_int64(stmt, i))));
                break;
            case SQLITE_FLOAT:
                values.append(QVariant(sqlite3_column_double(stmt, i)));
                break;
            case SQLITE_NULL:
                values.append(QVariant(QMetaType::fromType<QString>()));
                break;
            case SQLITE_BLOB:
                values.append(QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)),
                                                  sqlite3_column_bytes(stmt, i))));
                break;
            default: {
                const char *s = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
                values.append(QVariant(pools[size_t(i)].text(s, sqlite3_column_bytes(stmt, i))));
                break;
            }
            }
        }
        row(values);
    }
}

} // namespace wage
