#pragma once
// Writes a dataset's edits back to its base table: describes the table (columns, declared types,
// key, identity) and runs parameterised INSERT/UPDATE/DELETE through statements prepared once
// per dataset and reused, so that posting many rows costs little more than the engine's work.
#include "db/connection.h"

#include <QHash>
#include <QPointer>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace wage {

// The row as the database holds it: the record's values, except the fields changed by the
// pending edit, whose earlier values are kept aside. No copy of the row is made for an edit.
struct StoredRow {
    const QVariantList &values;
    const QVector<bool> *changed = nullptr;
    const QVariantList *before = nullptr;

    const QVariant &at(int field) const
    {
        static const QVariant none;
        if (changed && field < changed->size() && (*changed)[field])
            return (*before)[field];
        return field >= 0 && field < values.size() ? values[field] : none;
    }
    QVariantList toList() const
    {
        QVariantList out = values;
        if (changed)
            for (int f = 0; f < changed->size() && f < out.size(); ++f)
                if ((*changed)[f])
                    out[f] = (*before)[f];
        return out;
    }
};

class DatasetWriter {
public:
    DatasetWriter();
    ~DatasetWriter();

    // Drops the description and the prepared statements.
    void reset();
    // Drops the prepared statements; the description stays.
    void finish();

    // Matches the dataset's fields (by name, without regard to case) with the base table's
    // columns. keyFields: the dataset's explicit key; empty: the table's primary key.
    void describe(Connection *connection, const QString &table, const QStringList &fieldNames,
                  const QStringList &keyFields);

    bool canWrite() const { return !m_table.isEmpty() && !m_columns.isEmpty(); }
    int baseColumnOfField(int field) const { return m_fieldColumn.value(field, -1); }
    QString declaredType(int field) const;
    bool hasKey() const { return !m_keyFields.isEmpty(); }
    QList<int> keyFieldIndexes() const { return m_keyFields; }
    QStringList keyColumns() const;

    // Inserts the fields marked dirty (or not NULL); afterwards `values` holds the row as the
    // database stored it (identity and defaults included, where the engine can tell).
    void insertRow(QVariantList &values, const QVector<bool> &dirty);
    // Rows the database changed; DbError when none matched.
    int updateRow(const StoredRow &original, const QVariantList &values, const QVector<bool> &dirty);
    // Rows the database deleted (several when a keyless table holds identical rows).
    int deleteRow(const StoredRow &original);

private:
    struct Column {
        QString name;
        QString type;
        bool identity = false;
        bool blob = false;
    };
    QString quoted(const QString &name) const;
    QList<int> locatingFields() const;
    struct Statement {
        QSqlQuery query;
        sqlite3_stmt *stmt = nullptr;   // the embedded engine's statement behind the query
    };
    // Appends the WHERE part of the shape at `shape` (1 + located fields) and its binds.
    void whereBinds(const StoredRow &original, char *shape);
    void dropStatements();
    QString whereText(const StoredRow &original) const;
    Statement &prepared(const QString &sql);
    // Runs with the values in m_binds.
    int run(const QString &sql, QVariant *insertId = nullptr);
    QVariant bindable(const QVariant &value) const;
    void requireTable(const QString &what) const;

    QPointer<Connection> m_connection;
    bool m_embedded = false;
    QString m_table;
    QString m_signature;
    QVector<Column> m_columns;
    QVector<int> m_fieldColumn;   // field -> column, -1 when not in the table
    QList<int> m_keyFields;       // field indexes of the key in effect
    int m_identityField = -1;
    QList<int> m_locating;        // fields of the WHERE clause: the key, or every column
    QHash<QString, std::shared_ptr<Statement>> m_statements;
    Statement *m_last = nullptr;   // the statement of the last run, and its text
    QString m_lastSql;
    // Scratch of the statement being made, kept between posts so that a post allocates nothing.
    QByteArray m_shape;
    std::vector<const QVariant *> m_binds;
    QHash<QByteArray, QString> m_shapes;   // statement text by shape
    QByteArray m_lastShape;                 // the shape of the last update, and its text
    QString m_lastShapeSql;
    const QSqlDriver *m_driver = nullptr;
    sqlite3 *m_handle = nullptr;   // the embedded connection the statements belong to
};

} // namespace wage
