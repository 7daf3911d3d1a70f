#include "core/textorder.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <cstring>
#include <memory>

namespace wage {
namespace {

struct CollatorCloser {
    void operator()(UCollator *c) const { ucol_close(c); }
};

// Collators are not safe to share between threads: one per thread, opened on first use.
UCollator *collator()
{
    thread_local std::unique_ptr<UCollator, CollatorCloser> coll = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator *c = ucol_open("zh@collation=pinyin", &status);
        if (U_FAILURE(status) || !c) {
            status = U_ZERO_ERROR;
            c = ucol_open("zh", &status);
        }
        if (c) {
            // Secondary strength: case and width differences are not differences.
            UErrorCode s2 = U_ZERO_ERROR;
            ucol_setStrength(c, UCOL_SECONDARY);
            ucol_setAttribute(c, UCOL_NORMALIZATION_MODE, UCOL_ON, &s2);
            // Digits and Latin letters before Chinese, as the original engines order them; the
            // Chinese locale alone would put Chinese first.
            const int32_t noReorder[] = {UCOL_REORDER_CODE_NONE};
            s2 = U_ZERO_ERROR;
            ucol_setReorderCodes(c, noReorder, 1, &s2);
        }
        return std::unique_ptr<UCollator, CollatorCloser>(c);
    }();
    return coll.get();
}

int trimmedLength(const char *s, int len)
{
    while (len > 0 && s[len - 1] == ' ')
        --len;
    return len;
}

int trimmedLength(const QString &s)
{
    int len = int(s.size());
    while (len > 0 && s.at(len - 1) == QLatin1Char(' '))
        --len;
    return len;
}

bool asciiEqualNoCase(const char *a, const char *b, int len)
{
    for (int i = 0; i < len; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80)
            return false;
        if (x != y && (x | 0x20) != (y | 0x20))
            return false;
        if (x != y && !((x | 0x20) >= 'a' && (x | 0x20) <= 'z'))
            return false;
    }
    return true;
}

} // namespace

int compareTextUtf8(const char *a, int aLen, const char *b, int bLen)
{
    aLen = trimmedLength(a, aLen);
    bLen = trimmedLength(b, bLen);
    // Equal texts are the common case of lookups: no collator needed for them.
    if (aLen == bLen && (std::memcmp(a, b, size_t(aLen)) == 0 || asciiEqualNoCase(a, b, aLen)))
        return 0;
    UCollator *c = collator();
    if (!c)
        return aLen == bLen ? std::memcmp(a, b, size_t(aLen)) : (aLen < bLen ? -1 : 1);
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult r = ucol_strcollUTF8(c, a, aLen, b, bLen, &status);
    if (U_FAILURE(status)) {
        int m = std::memcmp(a, b, size_t(std::min(aLen, bLen)));
        return m != 0 ? m : (aLen < bLen ? -1 : (aLen > bLen ? 1 : 0));
    }
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

int compareText(const QString &a, const QString &b)
{
    const int aLen = trimmedLength(a), bLen = trimmedLength(b);
    UCollator *c = collator();
    if (!c)
        return QStringView(a).left(aLen).compare(QStringView(b).left(bLen), Qt::CaseInsensitive);
    UCollationResult r = ucol_strcoll(c, reinterpret_cast<const UChar *>(a.utf16()), aLen,
                                      reinterpret_cast<const UChar *>(b.utf16()), bLen);
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

QByteArray textSortKey(const QString &text)
{
    const int len = trimmedLength(text);
    UCollator *c = collator();
    if (!c)
        return QStringView(text).left(len).toString().toCaseFolded().toUtf8();
    QByteArray key(64, Qt::Uninitialized);
    for (;;) {
        int32_t need = ucol_getSortKey(c, reinterpret_cast<const UChar *>(text.utf16()), len,
                                       reinterpret_cast<uint8_t *>(key.data()), int32_t(key.size()));
        if (need <= key.size()) {
            key.resize(need > 0 ? need - 1 : 0); // drop the terminating zero
            return key;
        }
        key.resize(need);
    }
}

} // namespace wage
