#include "db/sqlitefunctions.h"

#include <sqlite3.h>

namespace wage::sql {

namespace {

// Case folding of one code point as the collation sees it: ASCII and full-width Latin letters.
// Other characters compare by their code points.
int textCompare(void *, int n1, const void *p1, int n2, const void *p2)
{
    const auto *a = static_cast<const unsigned char *>(p1);
    const auto *b = static_cast<const unsigned char *>(p2);
    while (n1 > 0 && a[n1 - 1] == ' ')
        --n1;
    while (n2 > 0 && b[n2 - 1] == ' ')
        --n2;
    const int n = n1 < n2 ? n1 : n2;
    for (int i = 0; i < n; ++i) {
        int x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return n1 == n2 ? 0 : (n1 < n2 ? -1 : 1);
}

} // namespace

bool registerSqliteFunctions(sqlite3 *db)
{
    if (sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, textCompare, nullptr) != SQLITE_OK)
        return false;
    return true;
}

} // namespace wage::sql
