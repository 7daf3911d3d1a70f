#include "core/textcodec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace wage {
namespace {

QByteArray convert(const char *to, const char *from, const QByteArray &in)
{
    if (in.isEmpty())
        return {};
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::vector<char> out(static_cast<size_t>(in.size()) * 4 + 16);
    char *inPtr = const_cast<char *>(in.constData());
    size_t inLeft = static_cast<size_t>(in.size());
    char *outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            // An unmappable or cut-off sequence: keep going with a replacement so that one bad
            // byte never loses the rest of a file.
            ++inPtr;
            --inLeft;
            if (outLeft > 0) {
                *outPtr++ = '?';
                --outLeft;
            }
        } else {
            break;
        }
    }
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    iconv_close(cd);
    return QByteArray(out.data(), static_cast<int>(outPtr - out.data()));
}

} // namespace

bool isPlainAscii(const QByteArray &bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int n = bytes.size();
    int i = 0;
    while (i < n) {
        unsigned char c = p[i];
        int extra;
        unsigned int cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
        else return false;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000)
            || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += extra + 1;
    }
    return true;
}

QString fromGbk(const QByteArray &bytes)
{
    if (isPlainAscii(bytes))
        return QString::fromLatin1(bytes);
    return QString::fromUtf8(convert("UTF-8", "GBK", bytes));
}

QByteArray toGbk(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (isPlainAscii(utf8))
        return utf8;
    return convert("GBK", "UTF-8", utf8);
}

QString decodeLocalText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return fromGbk(bytes);
}

TextEncoding detectEncoding(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8Bom;
    if (!isPlainAscii(bytes) && isValidUtf8(bytes))
        return TextEncoding::Utf8;
    return TextEncoding::Gbk;
}

QByteArray encodeText(const QString &text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom: return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Utf8: return text.toUtf8();
    case TextEncoding::Gbk: break;
    }
    return toGbk(text);
}

} // namespace wage
