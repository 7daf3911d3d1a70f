#pragma once
// The search panel's test of a record: the search text appears, without regard to case, in the
// text a shown column displays for it. Runs on every keystroke over every record, so it reads the
// values directly and formats a number or a date only when the text could be found in one.
#include "db/dataset.h"

#include <QList>
#include <QString>

namespace wage {

struct SearchColumn {
    int field = -1;
    FieldKind kind = FieldKind::Unknown;
    bool operator==(const SearchColumn &o) const { return field == o.field && kind == o.kind; }
};

Dataset::RecordFilter searchFilter(const QString &text, const QList<SearchColumn> &columns);

} // namespace wage
