#pragma once
// The record-set object behind data sources (the host's queries, the plug-ins' ADOQuery1 ...).
//
// Rows are read to the client at open. The current record is edited in place and posted back
// to one base table with parameterised statements, so any value is safe. A record is found in
// the base table by its key (primary key / identity column, or the fields given with
// setKeyFields); a table without a key is matched on all original values of its columns, so
// posting or deleting one of two identical rows touches both, and remove() reports how many
// rows the database deleted.
//
// Rows are addressed in display order (the order of the client-side sort), 0-based; recNo() is
// 1-based like the record number of the grids. A client-side filter (the grids' search panel)
// leaves only the records it accepts: the record count, the walks, the rows of the views, the
// ticked rows and the running sums all see exactly those.
#include "db/connection.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace wage {

class Dataset;
class DataSource;

// What a field holds, from the base table's declared column type or else from the values.
enum class FieldKind { Unknown, Text, Integer, Float, Money, DateTime, Boolean, Blob };

// A light handle on one field of a dataset's current record; valid while the dataset keeps its
// fields (until close). Reading a field of an empty dataset gives NULL.
class Field {
public:
    Field() = default;
    bool isValid() const { return m_dataset != nullptr && m_index >= 0; }
    int index() const { return m_index; }
    QString name() const;
    FieldKind kind() const;
    // Caption for grids; the field name until set.
    QString displayLabel() const;
    void setDisplayLabel(const QString &caption) const;

    QVariant value() const;
    bool isNull() const;
    QString asString() const;      // NULL gives ""; dates as yyyy-MM-dd[ HH:mm:ss]
    double asFloat() const;        // NULL or non-numeric text gives 0
    int asInteger() const;
    qint64 asLargeInt() const;
    bool asBoolean() const;
    QDateTime asDateTime() const;  // ISO text and date values; invalid when NULL
    QDate asDate() const;
    QByteArray asBytes() const;

    // Setters put the dataset into Edit first when it is browsing (like the grids do).
    void setValue(const QVariant &value) const;
    void setAsString(const QString &value) const { setValue(value); }
    void setAsFloat(double value) const { setValue(value); }
    void setAsInteger(qint64 value) const { setValue(value); }
    void setAsDateTime(const QDateTime &value) const { setValue(value); }
    void setAsBytes(const QByteArray &value) const { setValue(value); }
    void clear() const;            // NULL

private:
    friend class Dataset;
    Field(const Dataset *dataset, int index) : m_dataset(const_cast<Dataset *>(dataset)), m_index(index) {}
    Dataset *m_dataset = nullptr;
    int m_index = -1;
};

// Where a record was; survives requery (found again by key, or by all values when keyless).
struct Bookmark {
    quint64 recordId = 0;      // the client row within one opening
    quint64 generation = 0;    // which opening of the dataset
    QVariantList keyValues;    // key (or all original) values, to find the row after reopening
    int row = -1;
    bool isValid() const { return generation != 0; }
};

class Dataset : public QObject {
    Q_OBJECT
public:
    enum State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)

    // Accepts a record by its values (in field order).
    using RecordFilter = std::function<bool(const QVariantList &values)>;

    explicit Dataset(QObject *parent = nullptr);
    Dataset(Connection *connection, const QString &commandText, QObject *parent = nullptr);
    ~Dataset() override;

    // --- definition (changing any of these on an open dataset takes effect at the next open)
    void setConnection(Connection *connection);
    Connection *connection() const;
    void setCommandText(const QString &sql);   // in the connection's dialect
    QString commandText() const;
    // Parameters ":name" of the command text; a name given with or without the colon.
    void setParam(const QString &name, const QVariant &value);
    QVariant param(const QString &name) const;
    void clearParams();
    // The parameter names the command text uses, without colon, in order of first use.
    QStringList paramNames() const;
    // Parameters not set explicitly are taken by name from the master's current record; the
    // dataset reopens whenever the master scrolls or reopens, and is empty while it is closed.
    void setMasterSource(DataSource *master);
    DataSource *masterSource() const;
    // The table edits are written to; default: the single table of the FROM clause (none for
    // joins, which are then read-only unless a base table is given).
    void setBaseTable(const QString &table);
    QString baseTable() const;
    // Fields that identify a record of the base table; overrides the table's primary key.
    void setKeyFields(const QStringList &fields);
    QStringList keyFields() const;     // the key in effect (empty: all values)
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;

    // --- opening
    void open();      // DbError on failure (the dataset stays closed)
    void close();     // cancels a pending edit
    void requery();   // reopens with the current text and parameters; goes to the first record
    void setActive(bool active);
    bool isActive() const;
    State state() const;
    bool isEmpty() const;
    bool modified() const;   // the pending edit changed a value

    // --- navigation (each move posts a pending edit first, like the data-aware grids)
    int recordCount() const;
    int recNo() const;                  // 1-based; 0 when empty
    void setRecNo(int recNo);
    int currentRow() const;             // 0-based in display order; -1 when empty
    bool moveTo(int row);               // false when row is out of range
    void moveBy(int distance);
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;                   // next() went past the last record, or empty
    bool bof() const;                   // prior() went before the first record, or empty

    // --- fields
    int fieldCount() const;
    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const;   // without regard to case; -1 when absent
    Field field(int index) const;
    Field fieldByName(const QString &name) const;   // DbError when absent
    Field findField(const QString &name) const;     // invalid Field when absent
    QVariant value(const QString &name) const;      // current record; DbError when absent
    void setValue(const QString &name, const QVariant &value);
    QVariant value(int row, int column) const;      // any row in display order
    FieldKind fieldKind(int column) const;
    QString displayLabel(int column) const;
    void setDisplayLabel(const QString &fieldName, const QString &caption);

    // --- editing
    void edit();       // Browse -> Edit on the current record (append() when empty)
    void append();     // a new record at the end; Insert state
    void insert();     // a new record before the current one; Insert state
    void post();       // writes the pending edit; DbError leaves the dataset in Edit/Insert
    void cancel();     // drops the pending edit (a new record disappears)
    int remove();      // deletes the current record; returns the rows the database deleted
    void checkBrowseMode();   // posts a pending edit

    // --- finding
    bool locate(const QString &fieldName, const QVariant &value, bool caseInsensitive = false,
                bool partialKey = false);
    // Several fields at once: "a;b" in fieldNames, one value per field.
    bool locate(const QStringList &fieldNames, const QVariantList &values);
    Bookmark bookmark() const;
    bool gotoBookmark(const Bookmark &bookmark);   // false when the record is gone
    bool bookmarkValid(const Bookmark &bookmark) const;

    // --- client-side sort: "field", "field DESC", "a,b DESC"; empty restores the read order
    void setSort(const QString &sort);
    QString sort() const;

    // --- client-side filter. Posts a pending edit first. The filter stays through sorting and
    // reopening until it is cleared (a null filter). Records are tested when the filter is set
    // and when the dataset opens; a record edited or added afterwards stays shown, so that a walk
    // that edits the shown records sees each of them once.
    void setFilter(RecordFilter filter);
    // Like setFilter, but tests only the records shown now: for a filter that accepts nothing
    // the current one hides (a search text that grew longer).
    void narrowFilter(RecordFilter filter);
    bool isFiltered() const;

    // --- the sum of a numeric field over the shown records (NULL and non-numbers count 0). The
    // first call for a field adds up its values; afterwards edits, posts, cancels, new and deleted
    // records adjust it, so record-by-record runs do not add up all rows again.
    double fieldSum(int field) const;

    // --- attached views: while disabled, views are not updated; enable resets them
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    // --- ticked rows (check-box selection of the grids), kept through sorting
    void setTicked(int row, bool ticked);
    bool isTicked(int row) const;
    QList<int> tickedRows() const;     // display rows, ascending
    int tickedCount() const;
    void tickAll(bool ticked = true);

signals:
    void afterOpen();
    void beforeClose();
    void afterClose();
    void afterScroll();            // the current record changed (also after open and delete)
    void stateChanged();
    void dataChanged();            // a field value of the current record, or the rows, changed
    void newRecord();              // a new record was made by append()/insert(): set defaults
    void beforePost();
    void afterPost();
    void beforeDelete();
    void afterDelete(int rowsDeleted);
    void tickedChanged();

    // For views (DatasetModel); not sent while controls are disabled.
    void rowsReset();
    void rowChanged(int row);
    void rowInserted(int row);
    void rowRemoved(int row);
    void controlsEnabled();

protected:
    // Counted so that a dataset nobody listens to sends no signals on every edit and move.
    void connectNotify(const QMetaMethod &signal) override;
    void disconnectNotify(const QMetaMethod &signal) override;

private:
    void startNewRecord(bool beforeCurrent);
    friend class Field;
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace wage
