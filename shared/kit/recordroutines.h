#pragma once
// Routines on a dataset's current record: field presence, the lock mark, the record editor.
#include <QString>

namespace wage { class Connection; class Dataset; }

// Whether the dataset has the field (name compared without regard to case).
bool GetFieldExist(wage::Dataset *dataset, const QString &fieldName);
// True when the current record may be changed: it exists and its "locked" is absent, NULL or
// blank after trimming (an audited record carries a mark there).
bool CheckCanModify(wage::Dataset *dataset);

// The record editor behind the navigator buttons, on the current record:
//   1 new (append), 2 edit, 3 save (post), 4 cancel, 5 delete (after a Yes to the question).
// Edit and delete refuse a locked record with a message. A save the database rejects shows
// the reason and leaves the record in editing so nothing typed is lost. `table` is the base
// table the record is written to when the dataset names none. True when the action was done.
bool DatasetEditor(wage::Dataset *dataset, const QString &table, wage::Connection *connection, int action);
