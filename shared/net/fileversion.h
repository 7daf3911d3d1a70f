#pragma once
// File versions: Windows PE version resources and our own ELF files (section .wage_fileversion).
#include <QString>

namespace wage {
// "a.b.c.d" of the file at `path`; empty when missing, unversioned or unreadable.
QString readFileVersion(const QString &path);
// The same for a file's bytes in memory.
QString fileVersionOf(const QByteArray &bytes);
}

// The version of program directory + fileName, or of the running program when fileName is empty.
QString GetBuildVersion(const QString &fileName);
