#include "net/fileversion.h"

#include "core/appdir.h"

#include <QCoreApplication>
#include <QFile>

#include <cstring>

namespace wage {
namespace {

// A bounds-checked view of the file's bytes: every read outside the file fails instead of
// reading past it, so a truncated or garbage file yields no version.
class Bytes {
public:
    Bytes(const uchar *data, quint64 size) : m_data(data), m_size(size) {}
    quint64 size() const { return m_size; }
    bool has(quint64 offset, quint64 length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }
    bool u16(quint64 offset, quint32 *out) const
    {
        if (!has(offset, 2)) return false;
        *out = quint32(m_data[offset]) | quint32(m_data[offset + 1]) << 8;
        return true;
    }
    bool u32(quint64 offset, quint32 *out) const
    {
        if (!has(offset, 4)) return false;
        *out = quint32(m_data[offset]) | quint32(m_data[offset + 1]) << 8
            | quint32(m_data[offset + 2]) << 16 | quint32(m_data[offset + 3]) << 24;
        return true;
    }
    bool u64(quint64 offset, quint64 *out) const
    {
        quint32 lo, hi;
        if (!u32(offset, &lo) || !u32(offset + 4, &hi)) return false;
        *out = quint64(lo) | quint64(hi) << 32;
        return true;
    }
    bool equals(quint64 offset, const char *text, quint64 length) const
    {
        return has(offset, length) && std::memcmp(m_data + offset, text, length) == 0;
    }

private:
    const uchar *m_data;
    quint64 m_size;
};

QString versionText(quint32 ms, quint32 ls)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16).arg(ls & 0xFFFF);
}

// ---- Windows PE: resource directory -> RT_VERSION -> VS_VERSIONINFO -> VS_FIXEDFILEINFO

struct Section { quint32 va, virtualSize, rawSize, rawOffset; };

bool rvaToOffset(const QVector<Section> &sections, quint32 rva, quint64 *offset)
{
    for (const Section &s : sections) {
        const quint64 extent = qMax(s.virtualSize, s.rawSize);
        if (rva >= s.va && quint64(rva) < quint64(s.va) + extent) {
            const quint64 delta = rva - s.va;
            if (delta >= s.rawSize)
                return false;
            *offset = quint64(s.rawOffset) + delta;
            return true;
        }
    }
    return false;
}

// The first entry of a resource directory with the given ID (or any entry when id < 0);
// returns the entry's OffsetToData field.
bool resourceEntry(const Bytes &b, quint64 dirOffset, int id, quint32 *data)
{
    quint32 named, ids;
    if (!b.u16(dirOffset + 12, &named) || !b.u16(dirOffset + 14, &ids))
        return false;
    const quint64 count = quint64(named) + ids;
    for (quint64 i = 0; i < count; ++i) {
        quint32 name, offset;
        if (!b.u32(dirOffset + 16 + i * 8, &name) || !b.u32(dirOffset + 20 + i * 8, &offset))
            return false;
        if (id < 0 || (!(name & 0x80000000u) && name == quint32(id))) {
            *data = offset;
            return true;
        }
    }
    return false;
}

QString peVersion(const Bytes &b)
{
    quint32 peOffset;
    if (!b.equals(0, "MZ", 2) || !b.u32(0x3C, &peOffset) || !b.equals(peOffset, "PE\0\0", 4))
        return QString();
    const quint64 coff = quint64(peOffset) + 4;
    quint32 sectionCount, optionalSize, magic;
    if (!b.u16(coff + 2, &sectionCount) || !b.u16(coff + 16, &optionalSize))
        return QString();
    const quint64 optional = coff + 20;
    if (!b.u16(optional, &magic))
        return QString();
    quint64 dirCountAt, dirsAt;
    if (magic == 0x10B) { dirCountAt = optional + 92; dirsAt = optional + 96; }
    else if (magic == 0x20B) { dirCountAt = optional + 108; dirsAt = optional + 112; }
    else return QString();
    quint32 dirCount, resourceRva, resourceSize;
    if (!b.u32(dirCountAt, &dirCount) || dirCount < 3 || dirsAt + 24 > optional + optionalSize
        || !b.u32(dirsAt + 16, &resourceRva) || !b.u32(dirsAt + 20, &resourceSize) || resourceRva == 0)
        return QString();

    QVector<Section> sections;
    const quint64 table = optional + optionalSize;
    for (quint64 i = 0; i < sectionCount; ++i) {
        Section s;
        const quint64 at = table + i * 40;
        if (!b.u32(at + 8, &s.virtualSize) || !b.u32(at + 12, &s.va) || !b.u32(at + 16, &s.rawSize)
            || !b.u32(at + 20, &s.rawOffset))
            return QString();
        sections << s;
    }
    quint64 root;
    if (!rvaToOffset(sections, resourceRva, &root))
        return QString();

    // Three levels: type (RT_VERSION = 16), name, language; the last entry points at the data.
    quint32 entry;
    if (!resourceEntry(b, root, 16, &entry) || !(entry & 0x80000000u))
        return QString();
    if (!resourceEntry(b, root + (entry & 0x7FFFFFFFu), -1, &entry) || !(entry & 0x80000000u))
        return QString();
    if (!resourceEntry(b, root + (entry & 0x7FFFFFFFu), -1, &entry) || (entry & 0x80000000u))
        return QString();
    const quint64 dataEntry = root + entry;
    quint32 dataRva, dataSize;
    quint64 data;
    if (!b.u32(dataEntry, &dataRva) || !b.u32(dataEntry + 4, &dataSize)
        || !rvaToOffset(sections, dataRva, &data) || !b.has(data, dataSize))
        return QString();

    // VS_VERSIONINFO: wLength, wValueLength, wType, "VS_VERSION_INFO" (UTF-16), padding to
    // 32 bits, then VS_FIXEDFILEINFO.
    quint32 valueLength;
    if (!b.u16(data + 2, &valueLength) || valueLength < 52)
        return QString();
    static const char key[] = "V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0";
    if (!b.equals(data + 6, key, sizeof(key)))
        return QString();
    quint64 fixed = data + 6 + sizeof(key);
    fixed = (fixed - data + 3) / 4 * 4 + data;
    quint32 signature, ms, ls;
    if (fixed + 52 > data + dataSize || !b.u32(fixed, &signature) || signature != 0xFEEF04BDu
        || !b.u32(fixed + 8, &ms) || !b.u32(fixed + 12, &ls))
        return QString();
    return versionText(ms, ls);
}

// ---- Our ELF files: section ".wage_fileversion" = "WFVR" + four little-endian uint32

QString elfVersion(const Bytes &b)
{
    // ELF64, little endian.
    if (!b.equals(0, "\x7F" "ELF", 4) || !b.equals(4, "\x02\x01", 2))
        return QString();
    quint64 shoff;
    quint32 shentsize, shnum, shstrndx;
    if (!b.u64(0x28, &shoff) || !b.u16(0x3A, &shentsize) || !b.u16(0x3C, &shnum)
        || !b.u16(0x3E, &shstrndx) || shoff == 0 || shentsize < 64)
        return QString();
    quint64 count = shnum;
    if (shnum == 0) {
        // Many sections: the real count is in section 0's size.
        if (!b.u64(shoff + 0x20, &count) || count > b.size() / shentsize)
            return QString();
    }
    // A file cut short loses its section table (it sits at the end): the whole table must be
    // there before any entry counts.
    if (!b.has(shoff, count * shentsize))
        return QString();
    quint32 strIndex = shstrndx;
    if (shstrndx == 0xFFFF && !b.u32(shoff + 0x28, &strIndex))
        return QString();
    if (strIndex >= count)
        return QString();
    quint64 strOffset, strSize;
    const quint64 strHeader = shoff + quint64(strIndex) * shentsize;
    if (!b.u64(strHeader + 0x18, &strOffset) || !b.u64(strHeader + 0x20, &strSize) || !b.has(strOffset, strSize))
        return QString();
    static const char wanted[] = ".wage_fileversion";
    for (quint64 i = 0; i < count; ++i) {
        const quint64 header = shoff + i * shentsize;
        quint32 nameAt, type;
        quint64 offset, size;
        if (!b.u32(header, &nameAt) || !b.u32(header + 4, &type) || !b.u64(header + 0x18, &offset)
            || !b.u64(header + 0x20, &size))
            return QString();
        if (nameAt >= strSize || type == 8 /* SHT_NOBITS */
            || !b.equals(strOffset + nameAt, wanted, sizeof(wanted))
            || sizeof(wanted) > strSize - nameAt)
            continue;
        quint32 v[4];
        if (size < 20 || !b.equals(offset, "WFVR", 4) || !b.u32(offset + 4, &v[0]) || !b.u32(offset + 8, &v[1])
            || !b.u32(offset + 12, &v[2]) || !b.u32(offset + 16, &v[3]))
            return QString();
        return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
    }
    return QString();
}

QString versionIn(const uchar *data, quint64 size)
{
    const Bytes bytes(data, size);
    return bytes.equals(0, "MZ", 2) ? peVersion(bytes) : elfVersion(bytes);
}

} // namespace

QString readFileVersion(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return QString();
    const qint64 size = file.size();
    QByteArray copy;
    const uchar *data = file.map(0, size);
    if (!data) {
        copy = file.readAll();
        if (copy.isEmpty())
            return QString();
        data = reinterpret_cast<const uchar *>(copy.constData());
    }
    return versionIn(data, copy.isEmpty() ? quint64(size) : quint64(copy.size()));
}

QString fileVersionOf(const QByteArray &bytes)
{
    return versionIn(reinterpret_cast<const uchar *>(bytes.constData()), quint64(bytes.size()));
}

} // namespace wage

QString GetBuildVersion(const QString &fileName)
{
    const QString path = fileName.isEmpty()
        ? (QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                        : QFile::symLinkTarget(QStringLiteral("/proc/self/exe")))
        : wage::programFile(fileName);
    return wage::readFileVersion(path);
}
