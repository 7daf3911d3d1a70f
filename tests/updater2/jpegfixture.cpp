#include "jpegfixture.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

QByteArray makeJpeg(int width, int height, bool grey, const std::function<QRgb(int x)> &colour, int quality)
{
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    QByteArray row(width * info.input_components, '\0');
    for (int x = 0; x < width; ++x) {
        const QRgb c = colour(x);
        if (grey) {
            row[x] = char(qRed(c));
        } else {
            row[x * 3] = char(qRed(c));
            row[x * 3 + 1] = char(qGreen(c));
            row[x * 3 + 2] = char(qBlue(c));
        }
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char *>(out), int(size));
    free(out);
    return bytes;
}
