#include "ziptools.h"

#include <QFile>

#include <zip.h>

#include <list>

namespace updatertest {

bool makeZip(const QString &path, const QList<ZipEntry> &entries)
{
    QFile::remove(path);
    int err = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!zip)
        return false;
    std::list<QByteArray> keep;
    for (const ZipEntry &e : entries) {
        const zip_flags_t flags = e.utf8Flag ? ZIP_FL_ENC_UTF_8 : ZIP_FL_ENC_CP437;
        zip_int64_t index;
        if (e.name.endsWith('/')) {
            index = zip_dir_add(zip, e.name.constData(), flags);
        } else {
            // libzip reads the data when the archive is closed: keep it alive until then.
            keep.push_back(e.content);
            zip_source_t *src = zip_source_buffer(zip, keep.back().constData(), zip_uint64_t(keep.back().size()), 0);
            index = zip_file_add(zip, e.name.constData(), src, flags | ZIP_FL_OVERWRITE);
        }
        if (index < 0) {
            zip_discard(zip);
            return false;
        }
        if (e.mode)
            zip_file_set_external_attributes(zip, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, (e.mode | 0100000u) << 16);
    }
    return zip_close(zip) == 0;
}

} // namespace updatertest
