// JPEG pictures of the extension list: decoded with libjpeg; a corrupt picture fails cleanly.
#include "webimage.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <jpeglib.h>

namespace {

// A JPEG made with libjpeg itself, so the test needs no image plug-in.
QByteArray encodeJpeg(int width, int height, bool grey)
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
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    QByteArray row(width * info.input_components, '\0');
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            if (grey) {
                row[x] = char(200);
            } else {
                row[x * 3] = char(220);   // red picture
                row[x * 3 + 1] = char(30);
                row[x * 3 + 2] = char(30);
            }
        }
        JSAMPROW r = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char *>(out), int(size));
    free(out);
    return bytes;
}

} // namespace

TEST(WebImage, DecodesColourAndGreyPictures)
{
    const QImage colour = updater::DecodeJpeg(encodeJpeg(40, 30, false));
    ASSERT_FALSE(colour.isNull());
    EXPECT_EQ(colour.size(), QSize(40, 30));
    const QColor c = colour.pixelColor(20, 15);
    EXPECT_NEAR(c.red(), 220, 6);
    EXPECT_NEAR(c.green(), 30, 6);
    const QImage grey = updater::DecodeJpeg(encodeJpeg(8, 8, true));
    ASSERT_FALSE(grey.isNull());
    EXPECT_NEAR(qGray(grey.pixel(4, 4)), 200, 4);
}

TEST(WebImage, BrokenPicturesFailWithAReason)
{
    const QByteArray good = encodeJpeg(64, 64, false);
    QByteArray header = good.left(200);              // truncated inside the scan
    QByteArray garbage = good;
    garbage.replace(2, 40, QByteArray(40, '\x00'));  // tables destroyed
    for (const QByteArray &bytes : {QByteArray(), QByteArray("<html>404</html>"), garbage}) {
        QString error;
        EXPECT_TRUE(updater::DecodeJpeg(bytes, &error).isNull());
        EXPECT_FALSE(error.isEmpty());
    }
    // A truncated file: libjpeg fills the rest with grey and warns; the picture keeps its size.
    QString error;
    const QImage partial = updater::DecodeJpeg(header, &error);
    if (!partial.isNull())
        EXPECT_EQ(partial.size(), QSize(64, 64));
    else
        EXPECT_FALSE(error.isEmpty());
}
