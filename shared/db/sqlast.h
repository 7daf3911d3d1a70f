#pragma once
// The small tree that the translator builds from a statement of the system's SQL.
#include "db/sqltoken.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace wage::sql {

struct Query;
struct Node;
using NodeP = std::shared_ptr<Node>;
using QueryP = std::shared_ptr<Query>;

struct OrderItem {
    NodeP expr;
    QString direction; // "", "ASC" or "DESC"
};

enum class NK {
    Literal,   // token: String, Number, Date or the word NULL/TRUE/FALSE
    Column,    // parts: qualifier(s) and name
    Param,     // text: name
    Variable,  // text: @name
    Star,      // parts: qualifier (optional)
    Unary,     // text: "-", "+", "NOT", "~"; kids[0]
    Binary,    // text: operator (upper-case word operators); kids[0], kids[1]
    Func,      // text: name as written; kids: arguments; flag: DISTINCT; star: count(*)
    Cast,      // kids[0] AS typeName
    Convert,   // CONVERT(typeName, kids[0] [, kids[1]])
    Case,      // kids: [operand or null], when, then, when, then ..., [else or null] (see caseHasOperand)
    Subquery,  // query
    List,      // (a, b, c)
    Exists,    // query
    Between,   // kids[0] [NOT] BETWEEN kids[1] AND kids[2]; flag: NOT
    In,        // kids[0] [NOT] IN (list kids[1..] | query); flag: NOT
    Like,      // kids[0] [NOT] LIKE kids[1] [ESCAPE kids[2]]; flag: NOT
    IsNull,    // kids[0] IS [NOT] NULL; flag: NOT
    DatePart,  // first argument of DATEADD/DATEDIFF/DATEPART written as a bare word: text
};

struct Node {
    NK kind = NK::Literal;
    Token token;          // Literal
    QString text;
    QStringList parts;
    QList<NodeP> kids;
    bool flag = false;
    bool star = false;
    bool caseHasOperand = false;
    bool caseHasElse = false;
    QString typeName;     // Cast, Convert: as written, e.g. "varchar(6)"
    QueryP query;
    // window function: OVER (PARTITION BY ... ORDER BY ...)
    bool hasOver = false;
    QList<NodeP> partition;
    QList<OrderItem> overOrder;
};

struct FromItem;

struct TableRef {
    QString name;                 // table (schema qualifiers dropped)
    QString alias;
    QueryP subquery;              // ( select ) alias
    QList<FromItem> nested;       // ( a join b on ... )
};

struct FromItem {
    QString join;                 // "" (first or comma), "JOIN", "LEFT JOIN", ...
    TableRef ref;
    NodeP on;
};

struct SelectItem {
    NodeP expr;
    QString alias;
};

struct SelectCore {
    bool distinct = false;
    bool distinctRow = false;     // Jet DISTINCTROW: each source record once
    NodeP top;
    bool topPercent = false;
    bool topTies = false;         // T-SQL WITH TIES (Jet keeps ties always)
    QList<SelectItem> items;
    QString into;
    QList<FromItem> from;
    NodeP where;
    QList<NodeP> groupBy;
    NodeP having;
};

struct Cte {
    QString name;
    QStringList columns;
    QueryP query;
};

struct Query {
    QList<Cte> ctes;
    QList<SelectCore> cores;
    QStringList setOps;           // between cores: "UNION", "UNION ALL", ...
    QList<OrderItem> orderBy;
};

struct ColumnDef {
    QString name;
    QString type;                 // as written, e.g. "nvarchar(20)", "COUNTER", "int"
    bool identity = false;
    bool notNull = false;
    bool primaryKey = false;
    NodeP defaultValue;
};

struct Assignment {
    QStringList target;           // column, possibly qualified
    NodeP value;
};

struct Statement {
    enum Kind { Select, Insert, Update, Delete, CreateTable, AlterAdd, AlterDrop, DropTable, CreateIndex, Nothing };
    Kind kind = Nothing;
    QueryP query;                 // Select; Insert ... select
    QString table;
    QString alias;
    QStringList columns;          // Insert column list; CreateIndex columns; AlterDrop columns
    QList<QList<NodeP>> values;   // Insert ... values
    QList<FromItem> from;         // Update / Delete: further tables
    QList<Assignment> sets;
    NodeP where;
    QList<ColumnDef> defs;        // CreateTable, AlterAdd
    QStringList constraints;      // CreateTable: rendered table constraints
    QString indexName;
    bool unique = false;
    bool ifExists = false;
    bool truncate = false;        // Delete: TRUNCATE TABLE
    QList<NodeP> indexExprs;
    QStringList indexDirs;
};

} // namespace wage::sql
