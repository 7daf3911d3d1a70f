#pragma once
// Real ZIP archives for the tests, written with libzip.
#include <QByteArray>
#include <QList>
#include <QString>

namespace updatertest {

struct ZipEntry {
    QByteArray name;          // raw bytes of the entry name
    QByteArray content;       // ignored for folders (names ending in "/")
    bool utf8Flag = false;    // mark the name as UTF-8 in the archive
    unsigned mode = 0;        // Unix mode bits to record, 0 for none
};

// Writes the archive; false when libzip refused.
bool makeZip(const QString &path, const QList<ZipEntry> &entries);

} // namespace updatertest
