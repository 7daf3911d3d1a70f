#pragma once
// T-SQL batches of user scripts on the embedded engine: variables, IF/ELSE, WHILE, BEGIN/END,
// transactions, PRINT and RETURN run here; every statement that touches data goes through the
// ordinary translation, with the batch's variables bound as parameters. A construct that can not
// run here is refused before anything runs, with an error that names it.
#include "db/connection.h"

#include <memory>

namespace wage::sql {

struct ScriptStep;

// A parsed batch (GO separates batches; each has its own variables).
struct Script {
    QList<QList<ScriptStep>> batches;
};

// Whether the T-SQL text needs the batch runner: variables, control flow, or statements one after
// another without ";" between them.
bool isTsqlScript(const QString &sql);

// Raises DbError naming the first construct that can not run.
std::shared_ptr<const Script> parseScript(const QString &sql);

// The engine that runs the statements of a batch.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    // Runs one statement (translated as usual); the rows of a query go to `rows` when given.
    // Returns the rows affected, or the rows a query returned.
    virtual int run(const QString &sql, const SqlParams &params, QueryResult *rows) = 0;
    virtual bool inTransaction() const = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
};

// Runs the script; `firstResult` gets the rows of its first query (as the client's record set
// shows them). Returns the rows affected by the last statement.
int runScript(const Script &script, const QString &original, ScriptHost &host, const SqlParams &params,
              QueryResult *firstResult);

// The parameter that stands for a variable in translated text ("@Total" -> "wage_v_total").
QString variableParameter(const QString &variable);

} // namespace wage::sql
