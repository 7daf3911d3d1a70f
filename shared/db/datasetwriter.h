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

struct sqlite3;

namespace wage {

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
    int updateRow(const QVariantList &original, const QVariantList &values, const QVector<bool> &dirty);
    // Rows the database deleted (several when a keyless table holds identical rows).
    int deleteRow(const QVariantList &original);

private:
    struct Column {
        QString name;
        QString type;
        bool identity = false;
        bool blob = false;
    };
    QString quoted(const QString &name) const;
    QList<int> locatingFields() const;
    void whereBinds(const QVariantList &original, QByteArray &shape, QVariantList &binds) const;
    QString whereText(const QVariantList &original) const;
    QSqlQuery &prepared(const QString &sql);
    int run(const QString &sql, const QVariantList &binds, QVariant *insertId = nullptr);
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
    QHash<QString, std::shared_ptr<QSqlQuery>> m_statements;
    QHash<QByteArray, QString> m_shapes;   // statement text by shape
    const QSqlDriver *m_driver = nullptr;
    sqlite3 *m_handle = nullptr;   // the embedded connection the statements belong to
};

} // namespace wage
