#pragma once
// The vendor's update manifest: one root element whose child elements are the keys.
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

} // namespace updater
