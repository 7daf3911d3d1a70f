#pragma once
// JPEG pictures of the extension list, decoded with libjpeg.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace updater {

// Decodes JPEG bytes (greyscale, RGB/YCbCr, CMYK/YCCK). A corrupt or truncated picture gives a
// null image and, in `error`, libjpeg's reason; nothing is left allocated.
QImage DecodeJpeg(const QByteArray &bytes, QString *error = nullptr);

} // namespace updater
