#pragma once
// The GBK boundary: files and texts shared with the Windows edition and the vendor are GBK
// (code page 936). Readers accept UTF-8 as well: valid UTF-8 is read as UTF-8, anything else
// as GBK.
#include <QByteArray>
#include <QString>

namespace wage {

bool isValidUtf8(const QByteArray &bytes);
bool isPlainAscii(const QByteArray &bytes);
QString fromGbk(const QByteArray &bytes);
QByteArray toGbk(const QString &text);
// UTF-8 when the bytes are valid UTF-8, else GBK. A UTF-8 byte-order mark is dropped.
QString decodeLocalText(const QByteArray &bytes);

enum class TextEncoding { Gbk, Utf8, Utf8Bom };
// Which encoding a file's bytes are in, so that a rewrite keeps it.
TextEncoding detectEncoding(const QByteArray &bytes);
QByteArray encodeText(const QString &text, TextEncoding encoding);

} // namespace wage
