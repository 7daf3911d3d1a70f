#include "db/dataset.h"

#include "db/datasetorder.h"
#include "db/datasetwriter.h"
#include "db/datasource.h"
#include "db/sqldates.h"
#include "db/sqltranslate.h"

#include <QHash>
#include <QMetaMethod>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace wage {

namespace {

quint64 nextGeneration()
{
    static quint64 counter = 0;
    return ++counter;
}

using fieldorder::compareValues;
using fieldorder::isNumber;
using fieldorder::parseDateTime;

FieldKind kindFromDeclared(const QString &declared)
{
    const QString t = declared.toLower();
    if (t.isEmpty())
        return FieldKind::Unknown;
    if (t.contains(QLatin1String("money")) || t.contains(QLatin1String("currency")))
        return FieldKind::Money;
    if (t.contains(QLatin1String("date")) || t.contains(QLatin1String("time")))
        return FieldKind::DateTime;
    if (t.contains(QLatin1String("bit")) || t.contains(QLatin1String("bool")) || t.contains(QLatin1String("yesno"))
        || t.contains(QLatin1String("logical")))
        return FieldKind::Boolean;
    if (t.contains(QLatin1String("blob")) || t.contains(QLatin1String("image")) || t.contains(QLatin1String("binary"))
        || t.contains(QLatin1String("ole")))
        return FieldKind::Blob;
    if (t.contains(QLatin1String("int")) || t.contains(QLatin1String("counter")) || t.contains(QLatin1String("long")))
        return FieldKind::Integer;
    if (t.contains(QLatin1String("dec")) || t.contains(QLatin1String("num")) || t.contains(QLatin1String("real"))
        || t.contains(QLatin1String("floa")) || t.contains(QLatin1String("doub")) || t.contains(QLatin1String("single")))
        return FieldKind::Float;
    return FieldKind::Text;
}

FieldKind kindFromValue(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        return FieldKind::Integer;
    case QMetaType::Double: case QMetaType::Float:
        return FieldKind::Float;
    case QMetaType::Bool:
        return FieldKind::Boolean;
    case QMetaType::QByteArray:
        return FieldKind::Blob;
    case QMetaType::QDate: case QMetaType::QDateTime:
        return FieldKind::DateTime;
    default: {
        static const QRegularExpression date(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}([ T]\\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?)?$"));
        if (date.match(v.toString()).hasMatch())
            return FieldKind::DateTime;
        return FieldKind::Text;
    }
    }
}

// The single table after FROM at the outer level; empty for joins, lists and sub-queries.
QString singleFromTable(const QString &sql)
{
    int depth = 0;
    QChar quote;
    const int n = sql.size();
    auto isWordChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    for (int i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) { quote = c; continue; }
        if (c == QLatin1Char('[')) { quote = QLatin1Char(']'); continue; }
        if (c == QLatin1Char('(')) { ++depth; continue; }
        if (c == QLatin1Char(')')) { --depth; continue; }
        if (depth != 0 || (i > 0 && isWordChar(sql[i - 1])))
            continue;
        if (sql.mid(i, 4).compare(QLatin1String("from"), Qt::CaseInsensitive) != 0
            || (i + 4 < n && isWordChar(sql[i + 4])))
            continue;
        // The source list runs to the next clause keyword at this level.
        static const QRegularExpression endRx(
            QStringLiteral("\\b(where|order|group|having|union|join|inner|left|right|full|cross)\\b|[,()]"),
            QRegularExpression::CaseInsensitiveOption);
        const QString rest = sql.mid(i + 4);
        const QRegularExpressionMatch m = endRx.match(rest);
        QString list = m.hasMatch() ? rest.left(m.capturedStart()) : rest;
        if (m.hasMatch()) {
            const QString word = m.captured(0).toLower();
            if (word == QLatin1String(",") || word == QLatin1String("(") || word == QLatin1String("join")
                || word == QLatin1String("inner") || word == QLatin1String("left") || word == QLatin1String("right")
                || word == QLatin1String("full") || word == QLatin1String("cross"))
                return {};
        }
        list = list.trimmed();
        if (list.endsWith(QLatin1Char(';')))
            list.chop(1);
        QString table = list.section(QRegularExpression(QStringLiteral("\\s+")), 0, 0);
        if (table.startsWith(QLatin1Char('[')) && table.endsWith(QLatin1Char(']')))
            table = table.mid(1, table.size() - 2);
        if (table.contains(QLatin1Char('.')))
            table = table.section(QLatin1Char('.'), -1).remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        return table;
    }
    return {};
}

} // namespace

struct DatasetRecord {
    quint64 id = 0;
    // As the database holds them, but for the fields changed by a pending edit (their earlier
    // values are kept aside in Private::backup) and for a new record not yet posted.
    QVariantList values;
    bool ticked = false;
    bool hidden = false;     // filtered out
};

// A footer's sum of one field over the shown records, adjusted as values change.
struct RunningSum {
    bool valid = false;
    long double total = 0;
};

struct DatasetFieldInfo {
    QString name;
    FieldKind kind = FieldKind::Unknown;
    int baseColumn = -1;     // index into the base table's columns; -1: not written back
};

struct Dataset::Private {
    Dataset *q;
    QPointer<Connection> connection;
    QString commandText;
    QList<QPair<QString, QVariant>> params;   // explicit parameters, name without colon
    QPointer<DataSource> master;
    QList<QMetaObject::Connection> masterLinks;
    QString baseTableSet;
    QStringList keyFieldsSet;
    bool readOnly = false;

    State state = Inactive;
    quint64 generation = 0;
    quint64 nextId = 1;
    std::vector<std::unique_ptr<DatasetRecord>> store;
    QList<DatasetRecord *> order;     // read order (client rows appended where they were made)
    QList<DatasetRecord *> sorted;    // every record in display order
    QList<DatasetRecord *> view;      // the records shown: sorted, less those the filter hides
    RecordFilter filter;
    mutable QVector<RunningSum> sums; // by field
    int current = -1;
    bool bof = true, eof = true;
    QVector<DatasetFieldInfo> fields;
    QHash<QString, int> fieldByLower;
    QHash<QString, QString> labels;   // lower-case field name -> caption
    QString sort;
    QList<QPair<int, bool>> sortKeys;   // field index, descending

    // editing: the fields changed by the pending edit, and their values before it (by field,
    // set only where dirty), so that an edit copies only what it changes
    QVector<bool> dirty;
    QVariantList backup;
    int listeners = 0;   // connections to the dataset's signals; none: nothing to send
    int disableCount = 0;

    DatasetWriter writer;

    explicit Private(Dataset *owner) : q(owner) {}

    DatasetRecord *currentRecord() const { return current >= 0 && current < view.size() ? view[current] : nullptr; }

    void checkActive() const
    {
        if (state == Inactive)
            throw DbError(QStringLiteral("数据集未打开，不能执行此操作"), commandText);
    }

    void setState(State s)
    {
        if (state == s)
            return;
        state = s;
        if (listeners)
            emit q->stateChanged();
    }

    // The current record as the database holds it while an edit is pending.
    StoredRow storedRow(const DatasetRecord *r) const
    {
        if (state == Edit && r == currentRecord())
            return StoredRow{r->values, &dirty, &backup};
        return StoredRow{r->values};
    }

    // Ends the pending edit: the values kept aside are let go.
    void endEdit()
    {
        bool *changed = dirty.data();
        QVariant *before = backup.data();
        const int kept = int(backup.size());
        for (int f = 0, n = int(dirty.size()); f < n; ++f)
            if (changed[f]) {
                changed[f] = false;
                if (f < kept)
                    before[f] = QVariant();
            }
    }

    bool viewsLive() const { return disableCount == 0; }

    int fieldOrThrow(const QString &name) const
    {
        const int i = fieldByLower.value(name.toLower(), -1);
        if (i < 0)
            throw DbError(QStringLiteral("字段“%1”不存在").arg(name), commandText);
        return i;
    }

    SqlParams bindParams() const
    {
        SqlParams out;
        const QStringList names = sql::parameterNames(commandText);
        Dataset *md = master ? master->dataSet() : nullptr;
        for (const QString &name : names) {
            bool found = false;
            for (const auto &p : params) {
                if (p.first.compare(name, Qt::CaseInsensitive) == 0) {
                    out.append({name, p.second});
                    found = true;
                    break;
                }
            }
            if (found)
                continue;
            QVariant v;
            if (md && md->isActive() && !md->isEmpty() && md->fieldIndex(name) >= 0)
                v = md->value(name);
            out.append({name, v});
        }
        return out;
    }

    void rebuildView()
    {
        if (!filter) {
            view = sorted;
            return;
        }
        view.clear();
        view.reserve(sorted.size());
        for (DatasetRecord *r : std::as_const(sorted))
            if (!r->hidden)
                view.append(r);
    }

    // One key per value, computed once: the collator does not run for every comparison.
    void applySort()
    {
        sorted = order;
        const size_t width = size_t(sortKeys.size());
        if (width > 0) {
            const size_t n = size_t(order.size());
            std::vector<fieldorder::SortKey> keys(n * width);
            // Names, products and processes repeat: the collator runs once per distinct text.
            QHash<QString, QByteArray> textKeys;
            for (size_t i = 0; i < n; ++i)
                for (size_t j = 0; j < width; ++j) {
                    const int f = sortKeys[int(j)].first;
                    const QVariant &v = order[qsizetype(i)]->values[f];
                    fieldorder::SortKey &k = keys[i * width + j];
                    if (v.typeId() == QMetaType::QString && fields[f].kind != FieldKind::DateTime
                        && !fieldorder::isNumericKind(fields[f].kind)) {
                        const QString &text = *static_cast<const QString *>(v.constData());
                        auto it = textKeys.constFind(text);
                        if (it == textKeys.constEnd())
                            it = textKeys.insert(text, fieldorder::sortKey(v, fields[f].kind).bytes);
                        k.cls = 3;
                        k.bytes = it.value();
                    } else {
                        k = fieldorder::sortKey(v, fields[f].kind);
                    }
                }
            std::vector<int> index(n);
            for (size_t i = 0; i < n; ++i)
                index[i] = int(i);
            std::stable_sort(index.begin(), index.end(), [&](int a, int b) {
                for (size_t j = 0; j < width; ++j) {
                    const int c = fieldorder::compareKeys(keys[size_t(a) * width + j], keys[size_t(b) * width + j]);
                    if (c != 0)
                        return sortKeys[int(j)].second ? c > 0 : c < 0;
                }
                return false;
            });
            for (size_t i = 0; i < n; ++i)
                sorted[qsizetype(i)] = order[index[i]];
        }
        rebuildView();
    }

    void applyFilterTo(const QList<DatasetRecord *> &records)
    {
        for (DatasetRecord *r : records)
            r->hidden = filter && !filter(r->values);
    }

    // --- running sums of the shown records
    void invalidateSums()
    {
        for (RunningSum &s : sums)
            s.valid = false;
    }

    void adjustSum(int field, const QVariant &before, const QVariant &after)
    {
        if (field < 0 || field >= sums.size() || !sums[field].valid)
            return;
        double x = 0;
        if (fieldorder::summandOf(before, &x))
            sums[field].total -= x;
        if (fieldorder::summandOf(after, &x))
            sums[field].total += x;
    }

    void adjustSums(const QVariantList &before, const QVariantList &after)
    {
        for (int f = 0; f < sums.size(); ++f)
            if (sums[f].valid)
                adjustSum(f, before.value(f), after.value(f));
    }

    void addToSums(const QVariantList &values, int sign)
    {
        for (int f = 0; f < sums.size(); ++f) {
            double x = 0;
            if (sums[f].valid && fieldorder::summandOf(values.value(f), &x))
                sums[f].total += sign * x;
        }
    }

    void parseSort()
    {
        sortKeys.clear();
        for (const QString &part : sort.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            QStringList words = part.simplified().split(QLatin1Char(' '));
            if (words.isEmpty() || words.first().isEmpty())
                continue;
            bool desc = false;
            if (words.size() > 1) {
                desc = words.last().compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
                if (desc || words.last().compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0)
                    words.removeLast();
            }
            QString name = words.join(QLatin1Char(' '));
            if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
                name = name.mid(1, name.size() - 2);
            sortKeys.append({fieldOrThrow(name), desc});
        }
    }

    QVariant convertForField(int index, const QVariant &value) const
    {
        if (value.isNull() || !value.isValid())
            return QVariant();
        const FieldKind kind = fields[index].kind;
        const bool embedded = connection && connection->isEmbedded();
        // The embedded engine keeps dates as text in one stored form; so does the client row.
        if (value.typeId() == QMetaType::QDateTime)
            return embedded ? QVariant(sql::storedDate(value.toDateTime())) : value;
        if (value.typeId() == QMetaType::QDate)
            return embedded ? QVariant(sql::storedDateOnly(value.toDate())) : value;
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString();
            switch (kind) {
            case FieldKind::Integer:
            case FieldKind::Float:
            case FieldKind::Money:
            case FieldKind::Boolean: {
                if (s.trimmed().isEmpty())
                    return QVariant();
                bool ok = false;
                const double d = s.trimmed().toDouble(&ok);
                if (!ok)
                    return value;
                if (kind == FieldKind::Integer || kind == FieldKind::Boolean)
                    return QVariant(qlonglong(d));
                return QVariant(d);
            }
            case FieldKind::DateTime: {
                if (s.trimmed().isEmpty())
                    return QVariant();
                QDateTime parsed;
                if (embedded && sql::parseDateText(s.trimmed(), &parsed))
                    return sql::storedDate(parsed);
                return value;
            }
            default:
                return value;
            }
        }
        return value;
    }

    void removeFromLists(DatasetRecord *r)
    {
        view.removeOne(r);
        sorted.removeOne(r);
        order.removeOne(r);
        for (auto it = store.begin(); it != store.end(); ++it)
            if (it->get() == r) {
                store.erase(it);
                break;
            }
    }

    void clearRows()
    {
        view.clear();
        sorted.clear();
        order.clear();
        store.clear();
        sums.clear();
        current = -1;
        bof = eof = true;
    }

    // The shown records changed: the current record stays when it is still shown.
    void refiltered()
    {
        DatasetRecord *cur = currentRecord();
        rebuildView();
        invalidateSums();
        current = cur && !cur->hidden ? int(view.indexOf(cur)) : (view.isEmpty() ? -1 : 0);
        bof = current <= 0;
        eof = view.isEmpty();
        if (viewsLive())
            emit q->rowsReset();
        emit q->afterScroll();
        emit q->dataChanged();
    }

    void resetDirty()
    {
        dirty.resize(fields.size());   // no new allocation per edit
        dirty.fill(false);
        if (backup.size() != fields.size())
            backup = QVariantList(fields.size());
    }

    // Field setters by index (no name lookup on every value of a record-by-record run).
    void setValueAt(int i, const QVariant &value)
    {
        if (state == Browse)
            q->edit();
        if (state != Edit && state != Insert)
            throw DbError(QStringLiteral("数据集不在编辑状态"), commandText);
        DatasetRecord *r = currentRecord();
        if (!r)
            return;
        QVariant converted = convertForField(i, value);
        adjustSum(i, r->values[i], converted);
        if (!dirty[i]) {
            if (state == Edit)
                backup[i] = std::move(r->values[i]);
            dirty[i] = true;
        }
        r->values[i] = std::move(converted);
        if (listeners) {
            if (viewsLive())
                emit q->rowChanged(current);
            emit q->dataChanged();
        }
    }

    void onMasterMoved()
    {
        if (state == Inactive)
            return;
        q->requery();
    }
};

// ---------------------------------------------------------------- Field

QString Field::name() const { return isValid() ? m_dataset->d->fields.value(m_index).name : QString(); }
FieldKind Field::kind() const { return isValid() ? m_dataset->fieldKind(m_index) : FieldKind::Unknown; }
QString Field::displayLabel() const { return isValid() ? m_dataset->displayLabel(m_index) : QString(); }
void Field::setDisplayLabel(const QString &caption) const
{
    if (isValid())
        m_dataset->setDisplayLabel(name(), caption);
}

QVariant Field::value() const
{
    if (!isValid())
        return {};
    const DatasetRecord *r = m_dataset->d->currentRecord();
    return r ? r->values.value(m_index) : QVariant();
}

bool Field::isNull() const { return value().isNull(); }

QString Field::asString() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("yyyy-MM-dd"))
                                        : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

double Field::asFloat() const
{
    // Money and float columns read as doubles: no copy of the value on a record-by-record run.
    if (isValid())
        if (const DatasetRecord *r = m_dataset->d->currentRecord(); r && m_index < r->values.size()) {
            const QVariant &cell = r->values.at(m_index);
            if (cell.typeId() == QMetaType::Double)
                return *static_cast<const double *>(cell.constData());
        }
    const QVariant v = value();
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? d : 0.0;
}

int Field::asInteger() const { return int(asLargeInt()); }

qint64 Field::asLargeInt() const
{
    const QVariant v = value();
    bool ok = false;
    const qlonglong i = v.toLongLong(&ok);
    if (ok)
        return i;
    const double d = v.toDouble(&ok);
    return ok ? qint64(d) : 0;
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (v.isNull())
        return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == QLatin1String("true") || s == QLatin1String("yes") || s == QLatin1String("是") || s.toDouble() != 0;
    }
    return v.toDouble() != 0;
}

QDateTime Field::asDateTime() const { return parseDateTime(value()); }
QDate Field::asDate() const { return asDateTime().date(); }

QByteArray Field::asBytes() const
{
    const QVariant v = value();
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return v.isNull() ? QByteArray() : v.toString().toUtf8();
}

void Field::setValue(const QVariant &value) const
{
    if (!isValid())
        throw DbError(QStringLiteral("无效的字段"), QString());
    m_dataset->d->setValueAt(m_index, value);
}

void Field::clear() const { setValue(QVariant()); }

// ---------------------------------------------------------------- Dataset

Dataset::Dataset(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this)) {}

Dataset::Dataset(Connection *connection, const QString &commandText, QObject *parent) : Dataset(parent)
{
    setConnection(connection);
    setCommandText(commandText);
}

Dataset::~Dataset()
{
    for (const auto &c : d->masterLinks)
        disconnect(c);
}

void Dataset::connectNotify(const QMetaMethod &) { ++d->listeners; }

void Dataset::disconnectNotify(const QMetaMethod &signal)
{
    // An invalid method: every signal of a receiver; the count then stays on the safe side.
    if (signal.isValid() && d->listeners > 0)
        --d->listeners;
}

void Dataset::setConnection(Connection *connection)
{
    if (d->connection == connection)
        return;
    d->writer.reset();
    d->connection = connection;
    if (connection)
        connect(connection, &QObject::destroyed, this, [this] { d->writer.reset(); });
}

Connection *Dataset::connection() const { return d->connection; }
void Dataset::setCommandText(const QString &sql) { d->commandText = sql; }
QString Dataset::commandText() const { return d->commandText; }

void Dataset::setParam(const QString &name, const QVariant &value)
{
    const QString key = name.startsWith(QLatin1Char(':')) ? name.mid(1) : name;
    for (auto &p : d->params)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0) {
            p.second = value;
            return;
        }
    d->params.append({key, value});
}

QVariant Dataset::param(const QString &name) const
{
    const QString key = name.startsWith(QLatin1Char(':')) ? name.mid(1) : name;
    for (const auto &p : d->params)
        if (p.first.compare(key, Qt::CaseInsensitive) == 0)
            return p.second;
    return {};
}

void Dataset::clearParams() { d->params.clear(); }
QStringList Dataset::paramNames() const { return sql::parameterNames(d->commandText); }

void Dataset::setMasterSource(DataSource *master)
{
    for (const auto &c : d->masterLinks)
        disconnect(c);
    d->masterLinks.clear();
    d->master = master;
    if (!master)
        return;
    d->masterLinks << connect(master, &DataSource::afterScroll, this, [this] { d->onMasterMoved(); });
    d->masterLinks << connect(master, &DataSource::activeChanged, this, [this] {
        // Opening is followed by a scroll; only a close needs its own reopen (to empty).
        if (!d->master || !d->master->dataSet() || !d->master->dataSet()->isActive())
            d->onMasterMoved();
    });
    d->masterLinks << connect(master, &DataSource::dataSetChanged, this, [this] { d->onMasterMoved(); });
}

DataSource *Dataset::masterSource() const { return d->master; }

void Dataset::setBaseTable(const QString &table)
{
    d->baseTableSet = table;
    d->writer.reset();
}

QString Dataset::baseTable() const
{
    return d->baseTableSet.isEmpty() ? singleFromTable(d->commandText) : d->baseTableSet;
}

void Dataset::setKeyFields(const QStringList &fields)
{
    d->keyFieldsSet = fields;
    d->writer.reset();
}

QStringList Dataset::keyFields() const
{
    if (!d->keyFieldsSet.isEmpty())
        return d->keyFieldsSet;
    return d->writer.keyColumns();
}

void Dataset::setReadOnly(bool readOnly) { d->readOnly = readOnly; }
bool Dataset::isReadOnly() const { return d->readOnly; }

void Dataset::open()
{
    if (d->state != Inactive)
        return;
    if (!d->connection)
        throw DbError(QStringLiteral("数据集没有数据库连接"), d->commandText);
    // Rows become records as they are read: no second copy of the result is ever held.
    std::vector<std::unique_ptr<DatasetRecord>> store;
    QList<DatasetRecord *> order;
    quint64 nextId = d->nextId;
    const QStringList columns = d->connection->queryEach(d->commandText, d->bindParams(), [&](QVariantList &row) {
        auto r = std::make_unique<DatasetRecord>();
        r->id = nextId++;
        r->values = std::move(row);
        order.append(r.get());
        store.push_back(std::move(r));
    });

    d->clearRows();
    d->nextId = nextId;
    d->generation = nextGeneration();
    d->fields.clear();
    d->fieldByLower.clear();
    for (int i = 0; i < columns.size(); ++i) {
        DatasetFieldInfo f;
        f.name = columns[i];
        d->fields.append(f);
        if (!d->fieldByLower.contains(f.name.toLower()))
            d->fieldByLower.insert(f.name.toLower(), i);
    }
    // Describe the base table: which fields are written back, their declared kinds, the key.
    const QString table = baseTable();
    d->writer.describe(d->connection, table, columns, d->keyFieldsSet);
    for (int i = 0; i < d->fields.size(); ++i) {
        d->fields[i].baseColumn = d->writer.baseColumnOfField(i);
        d->fields[i].kind = kindFromDeclared(d->writer.declaredType(i));
    }
    d->store = std::move(store);
    d->order = std::move(order);
    // Fields outside the base table take their kind from the first value present.
    for (int i = 0; i < d->fields.size(); ++i) {
        if (d->fields[i].kind != FieldKind::Unknown)
            continue;
        for (const DatasetRecord *r : std::as_const(d->order)) {
            if (!r->values[i].isNull()) {
                d->fields[i].kind = kindFromValue(r->values[i]);
                break;
            }
        }
        if (d->fields[i].kind == FieldKind::Unknown)
            d->fields[i].kind = FieldKind::Text;
    }
    try {
        d->parseSort();
    } catch (const DbError &) {
        d->sort.clear();
        d->sortKeys.clear();
    }
    d->sums = QVector<RunningSum>(d->fields.size());
    d->applyFilterTo(d->order);
    d->applySort();
    d->current = d->view.isEmpty() ? -1 : 0;
    d->bof = true;
    d->eof = d->view.isEmpty();
    d->setState(Browse);
    if (d->viewsLive())
        emit rowsReset();
    emit afterOpen();
    emit afterScroll();
    emit dataChanged();
}

void Dataset::close()
{
    if (d->state == Inactive)
        return;
    emit beforeClose();
    if (d->state == Edit || d->state == Insert)
        cancel();
    d->clearRows();
    d->writer.finish();
    d->setState(Inactive);
    if (d->viewsLive())
        emit rowsReset();
    emit afterClose();
}

void Dataset::requery()
{
    close();
    open();
}

void Dataset::setActive(bool active)
{
    if (active)
        open();
    else
        close();
}

bool Dataset::isActive() const { return d->state != Inactive; }
Dataset::State Dataset::state() const { return d->state; }
bool Dataset::isEmpty() const { return d->view.isEmpty(); }

bool Dataset::modified() const
{
    return (d->state == Edit || d->state == Insert) && std::find(d->dirty.begin(), d->dirty.end(), true) != d->dirty.end();
}

int Dataset::recordCount() const { return d->view.size(); }
int Dataset::recNo() const { return d->current + 1; }
void Dataset::setRecNo(int recNo) { moveTo(recNo - 1); }
int Dataset::currentRow() const { return d->current; }

bool Dataset::moveTo(int row)
{
    d->checkActive();
    if (row < 0 || row >= d->view.size())
        return false;
    checkBrowseMode();
    if (row >= d->view.size())
        return false;
    d->current = row;
    d->bof = d->eof = false;
    emit afterScroll();
    return true;
}

void Dataset::moveBy(int distance)
{
    d->checkActive();
    checkBrowseMode();
    if (d->view.isEmpty()) {
        d->bof = d->eof = true;
        if (d->listeners)
            emit afterScroll();
        return;
    }
    const int target = d->current + distance;
    if (target >= d->view.size()) {
        d->current = d->view.size() - 1;
        d->eof = true;
        d->bof = false;
    } else if (target < 0) {
        d->current = 0;
        d->bof = true;
        d->eof = false;
    } else {
        d->current = target;
        d->bof = d->eof = false;
    }
    if (d->listeners)
        emit afterScroll();
}

void Dataset::first()
{
    d->checkActive();
    checkBrowseMode();
    d->current = d->view.isEmpty() ? -1 : 0;
    d->bof = true;
    d->eof = d->view.isEmpty();
    if (d->listeners)
        emit afterScroll();
}

void Dataset::last()
{
    d->checkActive();
    checkBrowseMode();
    d->current = d->view.size() - 1;
    d->eof = true;
    d->bof = d->view.isEmpty();
    emit afterScroll();
}

void Dataset::next() { moveBy(1); }
void Dataset::prior() { moveBy(-1); }
bool Dataset::eof() const { return d->eof || d->view.isEmpty(); }
bool Dataset::bof() const { return d->bof || d->view.isEmpty(); }

int Dataset::fieldCount() const { return d->fields.size(); }

QStringList Dataset::fieldNames() const
{
    QStringList out;
    for (const DatasetFieldInfo &f : d->fields)
        out.append(f.name);
    return out;
}

int Dataset::fieldIndex(const QString &name) const { return d->fieldByLower.value(name.toLower(), -1); }

Field Dataset::field(int index) const
{
    if (index < 0 || index >= d->fields.size())
        return {};
    return Field(this, index);
}

Field Dataset::fieldByName(const QString &name) const { return Field(this, d->fieldOrThrow(name)); }

Field Dataset::findField(const QString &name) const
{
    const int i = fieldIndex(name);
    return i < 0 ? Field() : Field(this, i);
}

QVariant Dataset::value(const QString &name) const
{
    const int i = d->fieldOrThrow(name);
    const DatasetRecord *r = d->currentRecord();
    return r ? r->values[i] : QVariant();
}

void Dataset::setValue(const QString &name, const QVariant &value) { d->setValueAt(d->fieldOrThrow(name), value); }

QVariant Dataset::value(int row, int column) const
{
    if (row < 0 || row >= d->view.size() || column < 0 || column >= d->fields.size())
        return {};
    return d->view[row]->values[column];
}

FieldKind Dataset::fieldKind(int column) const
{
    return column >= 0 && column < d->fields.size() ? d->fields[column].kind : FieldKind::Unknown;
}

QString Dataset::displayLabel(int column) const
{
    if (column < 0 || column >= d->fields.size())
        return {};
    const QString name = d->fields[column].name;
    return d->labels.value(name.toLower(), name);
}

void Dataset::setDisplayLabel(const QString &fieldName, const QString &caption)
{
    d->labels.insert(fieldName.toLower(), caption);
}

void Dataset::edit()
{
    d->checkActive();
    if (d->state == Edit || d->state == Insert)
        return;
    if (d->readOnly)
        throw DbError(QStringLiteral("数据集是只读的，不能修改"), d->commandText);
    if (d->view.isEmpty()) {
        append();
        return;
    }
    d->resetDirty();
    d->setState(Edit);
}

void Dataset::append()
{
    startNewRecord(false);
}

void Dataset::insert()
{
    startNewRecord(true);
}

// append() places the new record last, insert() before the current one.
void Dataset::startNewRecord(bool beforeCurrent)
{
    d->checkActive();
    if (d->readOnly)
        throw DbError(QStringLiteral("数据集是只读的，不能新增"), d->commandText);
    checkBrowseMode();
    auto r = std::make_unique<DatasetRecord>();
    r->id = d->nextId++;
    for (int i = 0; i < d->fields.size(); ++i)
        r->values.append(QVariant());
    int at;
    if (beforeCurrent) {
        at = d->current < 0 ? 0 : d->current;
        DatasetRecord *before = d->view.value(at, nullptr);
        d->view.insert(at, r.get());
        d->sorted.insert(before ? d->sorted.indexOf(before) : d->sorted.size(), r.get());
        d->order.insert(before ? d->order.indexOf(before) : d->order.size(), r.get());
    } else {
        d->order.append(r.get());
        d->sorted.append(r.get());
        d->view.append(r.get());
        at = d->view.size() - 1;
    }
    d->store.push_back(std::move(r));
    d->current = at;
    d->bof = d->eof = false;
    d->resetDirty();
    if (d->viewsLive())
        emit rowInserted(at);
    d->setState(Insert);
    emit newRecord();
    emit afterScroll();
    emit dataChanged();
}

void Dataset::post()
{
    if (d->state != Edit && d->state != Insert)
        return;
    if (d->listeners)
        emit beforePost();
    DatasetRecord *r = d->currentRecord();
    if (!r)
        return;
    if (d->state == Insert) {
        const QVariantList entered = r->values;
        d->writer.insertRow(r->values, d->dirty);
        d->adjustSums(entered, r->values);   // identity and defaults as the database stored them
    } else if (std::find(d->dirty.begin(), d->dirty.end(), true) != d->dirty.end()) {
        const int affected = d->writer.updateRow(d->storedRow(r), r->values, d->dirty);
        // A keyless table changed every identical row in the database; show the same here.
        if (affected > 1 && !d->writer.hasKey()) {
            const QVariantList oldOriginal = d->storedRow(r).toList();
            for (DatasetRecord *other : std::as_const(d->order)) {
                if (other == r || other->values != oldOriginal)
                    continue;
                if (!other->hidden)
                    d->adjustSums(other->values, r->values);
                other->values = r->values;
                if (d->viewsLive() && !other->hidden)
                    emit rowChanged(d->view.indexOf(other));
            }
        }
    }
    d->endEdit();
    d->setState(Browse);
    if (d->listeners) {
        if (d->viewsLive())
            emit rowChanged(d->current);
        emit afterPost();
        emit dataChanged();
    }
}

void Dataset::cancel()
{
    if (d->state != Edit && d->state != Insert)
        return;
    DatasetRecord *r = d->currentRecord();
    if (d->state == Insert && r) {
        const int row = d->current;
        d->addToSums(r->values, -1);
        d->removeFromLists(r);
        if (d->current >= d->view.size())
            d->current = d->view.size() - 1;
        d->endEdit();
        if (d->viewsLive())
            emit rowRemoved(row);
        d->setState(Browse);
        emit afterScroll();
    } else {
        if (r) {
            for (int f = 0; f < d->dirty.size(); ++f)
                if (d->dirty[f]) {
                    d->adjustSum(f, r->values[f], d->backup[f]);
                    r->values[f] = d->backup[f];
                }
        }
        d->endEdit();
        d->setState(Browse);
        if (d->viewsLive() && r)
            emit rowChanged(d->current);
    }
    emit dataChanged();
}

int Dataset::remove()
{
    d->checkActive();
    if (d->state == Insert) {
        cancel();
        return 0;
    }
    if (d->state == Edit)
        cancel();
    DatasetRecord *r = d->currentRecord();
    if (!r)
        throw DbError(QStringLiteral("数据集为空，不能删除"), d->commandText);
    if (d->readOnly)
        throw DbError(QStringLiteral("数据集是只读的，不能删除"), d->commandText);
    emit beforeDelete();
    const int deleted = d->writer.deleteRow(StoredRow{r->values});
    const QVariantList oldOriginal = r->values;
    QList<DatasetRecord *> gone{r};
    if (deleted > 1 && !d->writer.hasKey()) {
        for (DatasetRecord *other : std::as_const(d->order))
            if (other != r && other->values == oldOriginal && gone.size() < deleted)
                gone.append(other);
    }
    const int row = d->current;
    for (DatasetRecord *g : gone) {
        const bool shown = !g->hidden;
        const int at = shown ? int(d->view.indexOf(g)) : -1;
        if (shown)
            d->addToSums(g->values, -1);
        d->removeFromLists(g);
        if (d->viewsLive() && shown)
            emit rowRemoved(at);
    }
    d->current = std::min(row, int(d->view.size()) - 1);
    if (d->current < 0) {
        d->bof = d->eof = true;
    } else {
        d->bof = d->eof = false;
    }
    emit afterDelete(deleted);
    emit afterScroll();
    emit dataChanged();
    return deleted;
}

void Dataset::checkBrowseMode()
{
    if (d->state == Edit || d->state == Insert)
        post();
}

bool Dataset::locate(const QString &fieldName, const QVariant &value, bool caseInsensitive, bool partialKey)
{
    d->checkActive();
    const QStringList names = fieldName.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (names.size() > 1)
        return locate(names, value.toList());
    const int col = d->fieldOrThrow(fieldName);
    const FieldKind kind = d->fields[col].kind;
    const QString wanted = value.toString();
    for (int row = 0; row < d->view.size(); ++row) {
        const QVariant &v = d->view[row]->values[col];
        bool match;
        if (value.isNull() || v.isNull())
            match = value.isNull() && v.isNull();
        else if (partialKey)
            match = v.toString().startsWith(wanted, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        else if (isNumber(value) || kind == FieldKind::DateTime || value.typeId() == QMetaType::QDateTime
                 || value.typeId() == QMetaType::QDate)
            match = compareValues(v, value, kind) == 0;
        else
            match = v.toString().compare(wanted, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
        if (match)
            return moveTo(row);
    }
    return false;
}

bool Dataset::locate(const QStringList &fieldNames, const QVariantList &values)
{
    d->checkActive();
    QList<int> cols;
    for (const QString &n : fieldNames)
        cols.append(d->fieldOrThrow(n.trimmed()));
    for (int row = 0; row < d->view.size(); ++row) {
        bool all = true;
        for (int k = 0; k < cols.size() && all; ++k) {
            const QVariant &v = d->view[row]->values[cols[k]];
            const QVariant w = values.value(k);
            if (v.isNull() || w.isNull())
                all = v.isNull() && w.isNull();
            else
                all = compareValues(v, w, d->fields[cols[k]].kind) == 0
                      && (isNumber(w) || d->fields[cols[k]].kind == FieldKind::DateTime
                          || v.toString() == w.toString());
        }
        if (all)
            return moveTo(row);
    }
    return false;
}

Bookmark Dataset::bookmark() const
{
    Bookmark b;
    const DatasetRecord *r = d->currentRecord();
    if (!r)
        return b;
    b.recordId = r->id;
    b.generation = d->generation;
    b.row = d->current;
    const QList<int> keyCols = d->writer.keyFieldIndexes();
    const QVariantList vals = d->storedRow(r).toList();
    if (keyCols.isEmpty())
        b.keyValues = vals;
    else
        for (int c : keyCols)
            b.keyValues.append(vals.value(c));
    return b;
}

bool Dataset::bookmarkValid(const Bookmark &bookmark) const
{
    if (!bookmark.isValid() || d->state == Inactive)
        return false;
    if (bookmark.generation == d->generation) {
        for (const DatasetRecord *r : std::as_const(d->view))
            if (r->id == bookmark.recordId)
                return true;
        return false;
    }
    return true;
}

bool Dataset::gotoBookmark(const Bookmark &bookmark)
{
    if (!bookmark.isValid() || d->state == Inactive)
        return false;
    if (bookmark.generation == d->generation) {
        for (int row = 0; row < d->view.size(); ++row)
            if (d->view[row]->id == bookmark.recordId)
                return moveTo(row);
        return false;
    }
    // After a reopen: the same key, or the same values; of equal candidates the nearest row.
    const QList<int> keyCols = d->writer.keyFieldIndexes();
    int best = -1;
    for (int row = 0; row < d->view.size(); ++row) {
        const QVariantList &vals = d->view[row]->values;
        bool same = true;
        if (keyCols.isEmpty()) {
            if (vals.size() != bookmark.keyValues.size())
                return false;
            for (int c = 0; c < vals.size() && same; ++c)
                same = compareValues(vals[c], bookmark.keyValues[c], d->fields[c].kind) == 0;
        } else {
            if (keyCols.size() != bookmark.keyValues.size())
                return false;
            for (int k = 0; k < keyCols.size() && same; ++k)
                same = compareValues(vals.value(keyCols[k]), bookmark.keyValues[k], d->fields[keyCols[k]].kind) == 0;
        }
        if (same && (best < 0 || std::abs(row - bookmark.row) < std::abs(best - bookmark.row)))
            best = row;
    }
    return best >= 0 && moveTo(best);
}

void Dataset::setSort(const QString &sort)
{
    const QString previous = d->sort;
    d->sort = sort.trimmed();
    if (d->state == Inactive)
        return;
    checkBrowseMode();
    try {
        d->parseSort();
    } catch (...) {
        d->sort = previous;
        d->parseSort();
        throw;
    }
    DatasetRecord *cur = d->currentRecord();
    d->applySort();
    d->current = cur ? int(d->view.indexOf(cur)) : -1;
    if (d->viewsLive())
        emit rowsReset();
    emit afterScroll();
}

QString Dataset::sort() const { return d->sort; }

void Dataset::setFilter(RecordFilter filter)
{
    if (d->state != Inactive)
        checkBrowseMode();
    d->filter = std::move(filter);
    if (d->state == Inactive)
        return;
    d->applyFilterTo(d->order);
    d->refiltered();
}

void Dataset::narrowFilter(RecordFilter filter)
{
    if (d->state != Inactive)
        checkBrowseMode();
    d->filter = std::move(filter);
    if (d->state == Inactive)
        return;
    if (d->filter)
        d->applyFilterTo(d->view);
    else
        d->applyFilterTo(d->order);
    d->refiltered();
}

bool Dataset::isFiltered() const { return bool(d->filter); }

double Dataset::fieldSum(int field) const
{
    if (field < 0 || field >= d->sums.size())
        return 0;
    RunningSum &s = d->sums[field];
    if (!s.valid) {
        s.total = 0;
        double x = 0;
        for (const DatasetRecord *r : std::as_const(d->view))
            if (fieldorder::summandOf(r->values[field], &x))
                s.total += x;
        s.valid = true;
    }
    return double(s.total);
}

void Dataset::disableControls() { ++d->disableCount; }

void Dataset::enableControls()
{
    if (d->disableCount == 0)
        return;
    if (--d->disableCount == 0) {
        emit rowsReset();
        emit controlsEnabled();
    }
}

bool Dataset::controlsDisabled() const { return d->disableCount > 0; }

void Dataset::setTicked(int row, bool ticked)
{
    if (row < 0 || row >= d->view.size() || d->view[row]->ticked == ticked)
        return;
    d->view[row]->ticked = ticked;
    if (d->viewsLive())
        emit rowChanged(row);
    emit tickedChanged();
}

bool Dataset::isTicked(int row) const { return row >= 0 && row < d->view.size() && d->view[row]->ticked; }

QList<int> Dataset::tickedRows() const
{
    QList<int> out;
    for (int row = 0; row < d->view.size(); ++row)
        if (d->view[row]->ticked)
            out.append(row);
    return out;
}

int Dataset::tickedCount() const
{
    return int(std::count_if(d->view.begin(), d->view.end(), [](const DatasetRecord *r) { return r->ticked; }));
}

void Dataset::tickAll(bool ticked)
{
    for (DatasetRecord *r : std::as_const(d->view))
        r->ticked = ticked;
    if (d->viewsLive())
        emit rowsReset();
    emit tickedChanged();
}

} // namespace wage
