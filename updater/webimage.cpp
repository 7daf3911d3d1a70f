#include "webimage.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace updater {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to
// the decoder, which releases the decompressor and the pixel buffer. Between setjmp and the
// jump only plain C data lives, so no destructor is skipped.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void jumpOnError(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (corrupt data that libjpeg steps over) are not printed on stderr.
extern "C" void ignoreMessage(j_common_ptr, int) {}

struct Pixels {
    unsigned char *data = nullptr;
    unsigned width = 0;
    unsigned height = 0;
    int components = 0;   // 1 grey, 3 RGB, 4 CMYK (inverted, as Adobe writes it)
};

// 0 on success; otherwise the buffer is freed and `message` holds the reason.
int decode(const unsigned char *bytes, unsigned long size, Pixels *out, char *message)
{
    jpeg_decompress_struct info;
    ErrorManager manager;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = jumpOnError;
    manager.base.emit_message = ignoreMessage;
    manager.message[0] = '\0';
    unsigned char *volatile pixels = nullptr;
    if (setjmp(manager.jump)) {
        jpeg_destroy_decompress(&info);
        std::free(pixels);
        std::strcpy(message, manager.message);
        return 1;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, size);
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    info.out_color_space = cmyk ? JCS_CMYK : (grey ? JCS_GRAYSCALE : JCS_RGB);
    jpeg_start_decompress(&info);
    const size_t stride = static_cast<size_t>(info.output_width) * info.output_components;
    pixels = static_cast<unsigned char *>(std::malloc(stride * info.output_height + 1));
    if (!pixels) {
        jpeg_destroy_decompress(&info);
        std::strcpy(message, "picture too large");
        return 1;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    out->data = pixels;
    out->width = info.output_width;
    out->height = info.output_height;
    out->components = info.output_components;
    jpeg_destroy_decompress(&info);
    return 0;
}

} // namespace

QImage DecodeJpeg(const QByteArray &bytes, QString *error)
{
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("empty picture");
        return QImage();
    }
    Pixels pixels;
    char message[JMSG_LENGTH_MAX] = {};
    if (decode(reinterpret_cast<const unsigned char *>(bytes.constData()),
               static_cast<unsigned long>(bytes.size()), &pixels, message) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(message);
        return QImage();
    }
    const int w = static_cast<int>(pixels.width);
    const int h = static_cast<int>(pixels.height);
    const size_t stride = static_cast<size_t>(pixels.width) * pixels.components;
    QImage image(w, h, pixels.components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    for (int y = 0; y < h && !image.isNull(); ++y) {
        const unsigned char *in = pixels.data + stride * y;
        if (pixels.components == 1) {
            std::memcpy(image.scanLine(y), in, pixels.width);
            continue;
        }
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x, in += pixels.components) {
            if (pixels.components == 4) {
                const int k = in[3];
                line[x] = qRgb(in[0] * k / 255, in[1] * k / 255, in[2] * k / 255);
            } else {
                line[x] = qRgb(in[0], in[1], in[2]);
            }
        }
    }
    std::free(pixels.data);
    if (image.isNull() && error)
        *error = QStringLiteral("picture too large");
    return image;
}

} // namespace updater
