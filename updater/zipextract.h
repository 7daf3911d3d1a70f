#pragma once
// Extraction of update packages (ZIP archives) over the program directory.
#include <QString>

#include <functional>

namespace updater {

// Runs once the whole archive is unpacked and checked in `stagingDir`, before any file of the
// target is touched; false (with a reason) installs nothing.
using BeforeInstall = std::function<bool(const QString &stagingDir, QString *error)>;

// Extracts every entry of `archive` into `targetDir`, recreating folders and overwriting
// existing files (names matched without regard to case). The whole archive is first unpacked
// and checked in a staging folder inside `targetDir`; only then are the files moved into place,
// each by a rename, and a file that cannot be put in place puts back every file moved before
// it: a package installs all its files or none. Entries that would leave `targetDir` (absolute
// paths, "..", drive letters) are refused. Entry names without the UTF-8 flag are GBK. Files
// get the process's default mode; of an entry's recorded mode only the executable bit counts.
// On failure `error` says why and which files stayed installed.
bool ExtractPackage(const QString &archive, const QString &targetDir, QString *error = nullptr,
                    const BeforeInstall &beforeInstall = {});

// The entry name as a relative path with "/" separators, or empty when it would leave the
// target folder.
QString SafeEntryPath(const QString &entryName);

} // namespace updater
