// The SQL translator on arbitrary statement texts in both dialects: it either gives SQLite text
// or raises DbError, never anything else. Types come from a fixed small schema.
#include "db/connection.h"
#include "db/sqlrender.h"
#include "db/sqltranslate.h"
#include "db/sqllike.h"
#include "db/sqlscript.h"
#include "db/sqlshape.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {
class FixedSchema : public wage::sql::SchemaInfo {
public:
    QString columnType(const QString &table, const QString &column) const override
    {
        if (table.compare(QLatin1String("f_jijm"), Qt::CaseInsensitive) != 0)
            return QString();
        const QString c = column.toLower();
        if (c == QLatin1String("riqi")) return QStringLiteral("datetime");
        if (c == QLatin1String("ip_uuld") || c == QLatin1String("jjje")) return QStringLiteral("money");
        if (c == QLatin1String("pc_no") || c == QLatin1String("gsxu_no")) return QStringLiteral("nvarchar(20)");
        return QString();
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // first byte picks the dialect
    const wage::Dialect dialect = data[0] & 1 ? wage::Dialect::MsSql : wage::Dialect::Access;
    const QString sql = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), int(size - 1));
    static const FixedSchema schema;
    try {
        const QList<wage::sql::SqliteStatement> out = wage::sql::translate(sql, dialect, &schema);
        for (const auto &st : out)
            if (st.text.isEmpty())
                __builtin_trap();
    } catch (const wage::DbError &) {
    }
    // the batch reader of T-SQL scripts, the shape of a statement and the LIKE matcher
    try {
        if (dialect == wage::Dialect::MsSql && wage::sql::isTsqlScript(sql))
            wage::sql::parseScript(sql);
    } catch (const wage::DbError &) {
    }
    QString shape;
    QList<wage::sql::LiteralSlot> literals;
    wage::sql::statementShape(sql, dialect == wage::Dialect::Access, &shape, &literals);
    wage::sql::likeMatches(sql.left(48), sql.mid(48, 48), dialect == wage::Dialect::MsSql);
    return 0;
}
