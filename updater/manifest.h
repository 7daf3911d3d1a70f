#pragma once
// The vendor's update manifest: one root element whose child elements are the keys.
#include "core/wageerror.h"

#include <QByteArray>
#include <QString>

namespace updater {

// "SqlServer.xml" for "MSSQL", "Access.xml" for every other dialect.
QString ManifestName(const QString &dialect);

// The text of the child element `key` under the root. The document is decoded by its declared
// encoding (UTF-8, GB2312/GBK/GB18030). A document that is not XML raises WageError; a missing
// key, or an element with element children, gives an empty text.
QString ManifestValueOf(const QByteArray &document, const QString &key);

// Decodes an XML document's bytes by the encoding its declaration names.
QString DecodeXmlDocument(const QByteArray &document);

// A manifest whose signature is missing or does not match the configured vendor key.
class ManifestSignatureError : public WageError {
public:
    using WageError::WageError;
};

// "<manifest name>.sig": the base64 Ed25519 signature of the manifest's exact bytes.
QString SignatureName(const QString &manifestName);
// The key of a file key's SHA-256: "UpFile1" -> "UpFile1SHA256"; the updater's own package
// "Update.zip" has "UpdateSHA256".
QString HashKeyOf(const QString &fileKey);

} // namespace updater
