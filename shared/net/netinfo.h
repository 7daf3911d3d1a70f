#pragma once
// Network and machine facts of the shared helpers.
#include <QString>

// Text of the child element under the root of the vendor document at base URL + path;
// empty on any failure and, with INTERNET_CONNECTION=OFFLINE, without network access.
QString GetXmlvalue(const QString &elementName, const QString &relativePath);
// The vendor's home page answers.
bool InternetReachable();
// The caller's public address from the configured what-is-my-IP pages; empty when none answers.
QString GetPublicIP();
// The first dotted IPv4 address in a text; empty when there is none.
QString ExtractIPv4(const QString &text);
// The host's first (or last) address; "0.0.0.0" (after showing it) when the name does not resolve.
QString GetLocalIP(bool last);
QString GetPcName();

namespace wage {
// The vendor's web server base address followed by the relative path, unchanged.
QString vendorUrl(const QString &relativePath);
// XML bytes decoded by their declared encoding (UTF-8 when none; GB2312, GBK and GB18030 as
// GBK); empty when the encoding is unknown.
QString decodeXml(const QByteArray &bytes);
// Text content of the first child element of the root with that name; empty when the element
// is missing or the document is not well-formed.
QString childElementText(const QString &document, const QString &elementName, bool *wellFormed = nullptr);
} // namespace wage
