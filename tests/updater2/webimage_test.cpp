// JPEG pictures of the extension list: decoded with libjpeg; a corrupt picture fails cleanly.
#include "webimage.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include "jpegfixture.h"

namespace {

QByteArray encodeJpeg(int width, int height, bool grey)
{
    return makeJpeg(width, height, grey, [grey](int) { return grey ? qRgb(200, 0, 0) : qRgb(220, 30, 30); }, 95);
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
