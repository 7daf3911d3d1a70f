#pragma once
// Extraction of update packages (ZIP archives) over the program directory.
#include <QString>

namespace updater {

// Extracts every entry of `archive` into `targetDir`, recreating folders and overwriting
// existing files (names matched without regard to case). The whole archive is first unpacked
// and checked in a staging folder inside `targetDir`; only then are the files moved into place,
// each by a rename, so a corrupt or truncated archive installs nothing and no file is ever
// half-written. Entries that would leave `targetDir` (absolute paths, "..", drive letters) are
// refused. Entry names without the UTF-8 flag are GBK. On failure `error` says why.
bool ExtractPackage(const QString &archive, const QString &targetDir, QString *error = nullptr);

// The entry name as a relative path with "/" separators, or empty when it would leave the
// target folder.
QString SafeEntryPath(const QString &entryName);

} // namespace updater
