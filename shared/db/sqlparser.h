#pragma once
// The light parser: one statement's tokens into a Statement tree.
#include "db/sqlast.h"

namespace wage::sql {

// `tokens` is one statement (no top-level ";") ending with an End token. Raises DbError with
// `original` on anything it can not read.
Statement parseStatement(const QList<Token> &tokens, const QString &original, bool msSql);

} // namespace wage::sql
