#pragma once
// Signing an update manifest on the vendor's side.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vendor {

// The manifest's bytes with "<file key>SHA256" set for every package it names ("UpFile<i>",
// "UpDataFile<i>", and "UpdateSHA256" for the updater's own "Update.zip"), the files taken from
// `filesDir` (the web server's root, packages under "UpPath"). Hash elements already present
// are replaced, new ones follow their file key; every other byte stays as it was. A package
// that is missing is named in `missing` and gets no hash (a missing "Update.zip" is not named:
// "UpdateVer" alone does not offer a new updater).
QByteArray WithPackageHashes(const QByteArray &manifest, const QString &filesDir, QStringList *missing);

} // namespace vendor
