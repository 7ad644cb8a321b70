#include "jpeg_decode.h"

#include "imaging.h"
#include "picture_check.h"

#include <climits>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace jpeg_decode {
namespace {

struct Failure {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void stop(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1);
}

void message(j_common_ptr info, int level)
{
    // A warning (level -1) means damaged data the library went on past.
    if (level < 0)
        stop(info);
}

// Only plain C objects live between setjmp and a longjmp back to it.
// With a null `out` only the headers are read and `size` is set.
bool run(const unsigned char* data, unsigned long size, QSize maxSize, QImage* out, QSize* declared = nullptr)
{
    jpeg_decompress_struct info;
    Failure failure;
    info.err = jpeg_std_error(&failure.base);
    failure.base.error_exit = stop;
    failure.base.emit_message = message;
    failure.base.output_message = [](j_common_ptr) {};
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const qint64 w = info.image_width, h = info.image_height;
    if (!out) {
        jpeg_destroy_decompress(&info);
        *declared = QSize(int(w), int(h));
        return w > 0 && h > 0 && w <= INT_MAX && h <= INT_MAX;
    }
    const bool tooLarge = maxSize.isValid() && (w > maxSize.width() || h > maxSize.height());
    if (w <= 0 || h <= 0 || tooLarge || w * h > imaging::kMaxPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    info.out_color_space = JCS_EXT_BGRX;
#else
    info.out_color_space = JCS_EXT_XRGB;
#endif
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&info);
    if (int(info.output_width) != w || int(info.output_height) != h || info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    *out = QImage(int(w), int(h), QImage::Format_RGB32);
    if (out->isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

namespace {
bool checked(const QByteArray& bytes)
{
    return bytes.size() >= 4 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8
        && picture_check::whyRefused(bytes).isEmpty();
}
} // namespace

bool decode(const QByteArray& bytes, QSize maxSize, QImage& out)
{
    QImage image;
    if (!checked(bytes)
        || !run(reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)bytes.size(), maxSize, &image))
        return false;
    out = image;
    return true;
}

QSize declaredSize(const QByteArray& bytes)
{
    QSize size;
    if (!checked(bytes)
        || !run(reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)bytes.size(), QSize(), nullptr,
                &size))
        return QSize();
    return size;
}

} // namespace jpeg_decode
