#pragma once
// The worker list's quick search: whole worker numbers, whole names, or the initials of the
// names by the level-1 table of the national character set (ordered by pronunciation).
#include <QList>
#include <QString>

namespace batchpiece {

// One upper-case letter per character of code page 936 in the level-1 ranges, a space for any
// other double-byte character; single bytes (below 128) are kept.
QString nameInitials(const QString &name);

struct WorkerItem {
    QString number;     // part 0 of "ry_no,ry_name", trimmed
    QString name;       // part 1, trimmed
    QString initials;   // of the name
};
WorkerItem workerItem(const QString &listText);

// The first item whose number equals the text, else whose name equals it, else whose initials
// equal the text in upper case; -1 when none does. Comparisons are exact.
int findWorker(const QList<WorkerItem> &items, const QString &text);

} // namespace batchpiece
