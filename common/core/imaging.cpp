#include "imaging.h"

#include "file_read.h"
#include "picture_check.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QResource>
#include <QSaveFile>
#include <QTransform>

#include <cmath>
#include <cstring>

namespace imaging {
namespace {

bool fits(QSize size, QSize maxSize)
{
    if (qint64(size.width()) * size.height() > kMaxPixels)
        return false;
    return !maxSize.isValid() || (size.width() <= maxSize.width() && size.height() <= maxSize.height());
}

bool refuse(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

QString sizeText(QSize size) { return QStringLiteral("%1 x %2 pixels").arg(size.width()).arg(size.height()); }

bool decode(QImageReader& reader, ToolkitBitmap& bmp, int bitsPerPixel, QSize maxSize, QString* why)
{
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && !fits(size, maxSize))
        return refuse(why, QStringLiteral("it is larger than allowed (%1)").arg(sizeText(size)));
    QImage img;
    if (!reader.read(&img) || img.isNull())
        return refuse(why, reader.errorString());
    // A format that does not tell its size beforehand is held to the same bounds after.
    if (!fits(img.size(), maxSize))
        return refuse(why, QStringLiteral("it is larger than allowed (%1)").arg(sizeText(img.size())));
    const int fileDepth = img.depth() == 32 && !img.hasAlphaChannel() ? 24 : img.depth();
    // The decoders give RGB32 already; then this is the same picture, not a copy.
    bmp.image = img.convertToFormat(QImage::Format_RGB32);
    bmp.bitsPerPixel = bitsPerPixel == 0 ? fileDepth : 24;
    return !bmp.image.isNull();
}

} // namespace

int jpegScanCount(const QByteArray& bytes, int stopAfter)
{
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return 0;
    int scans = 0;
    qsizetype i = 2;
    // One pass: segments are skipped by their lengths, entropy-coded data
    // byte by byte up to the next marker, so the count costs linear time.
    while (i + 1 < n && scans <= stopAfter) {
        if (b[i] != 0xFF) {
            ++i;
            continue;
        }
        const uint8_t m = b[i + 1];
        if (m == 0xFF) { // fill byte before a marker
            ++i;
            continue;
        }
        i += 2;
        if (m == 0xD9)
            break;
        if (m == 0x00 || m == 0x01 || (m >= 0xD0 && m <= 0xD7))
            continue; // no length follows
        if (i + 1 >= n)
            break;
        const qsizetype length = (qsizetype(b[i]) << 8) | b[i + 1];
        i += length;
        if (m != 0xDA)
            continue;
        ++scans;
        // Entropy-coded data ends at the first marker that is neither a
        // stuffed zero nor a restart marker; memchr finds the candidates.
        while (i + 1 < n) {
            const auto* ff = static_cast<const uint8_t*>(std::memchr(b + i, 0xFF, size_t(n - 1 - i)));
            if (!ff) {
                i = n;
                break;
            }
            i = ff - b;
            const uint8_t next = b[i + 1];
            if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
                break;
            i += 2;
        }
    }
    return scans;
}

bool load(const QString& path, ToolkitBitmap& bmp, int bitsPerPixel, QSize maxSize, QString* why)
{
    // Read through the one reader that takes regular files only: a FIFO or a
    // device under a picture's name would hang or never end.
    QByteArray bytes;
    QString readError;
    if (file_read::readWhole(path, kMaxFileBytes, bytes, &readError) != file_read::Result::Ok)
        return refuse(why, readError);
    return loadFromData(bytes, bmp, bitsPerPixel, maxSize, why);
}

bool loadFromData(const QByteArray& bytes, ToolkitBitmap& bmp, int bitsPerPixel, QSize maxSize, QString* why)
{
    QBuffer buffer;
    QImageReader reader;
    if (!picture_check::openChecked(bytes, buffer, reader, why))
        return false;
    return decode(reader, bmp, bitsPerPixel, maxSize, why);
}

QByteArray encode(const ToolkitBitmap& bmp, int format, int quality)
{
    QByteArray bytes;
    if (bmp.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format == kFormatBmp ? "bmp" : "jpeg");
    if (format != kFormatBmp)
        writer.setQuality(quality > 0 ? quality : 75);
    // Both formats store 24-bit colour. The JPEG encoder takes 32-bit pixels
    // as they are, so only BMP needs the converted copy.
    const bool direct = format != kFormatBmp && bmp.image.format() == QImage::Format_RGB32;
    if (!writer.write(direct ? bmp.image : bmp.image.convertToFormat(QImage::Format_RGB888)))
        bytes.clear();
    return bytes;
}

bool save(const QString& path, const ToolkitBitmap& bmp, int format, int, int quality)
{
    const QByteArray bytes = encode(bmp, format, quality);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    // Unbuffered, so a short write is seen before the rename replaces the old file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool create(ToolkitBitmap& bmp, int width, int height, int)
{
    if (width <= 0 || height <= 0 || qint64(width) * height > kMaxPixels)
        return false;
    bmp.image = QImage(width, height, QImage::Format_RGB32);
    bmp.image.fill(Qt::black);
    bmp.bitsPerPixel = 24;
    return !bmp.image.isNull();
}

void fill(ToolkitBitmap& bmp, uint32_t colour)
{
    if (!bmp.isNull())
        bmp.image.fill(toQRgb(colour));
}

bool copy(ToolkitBitmap& destination, const ToolkitBitmap& source)
{
    destination.image = source.image.copy();
    destination.bitsPerPixel = source.bitsPerPixel;
    return !destination.isNull() || source.isNull();
}

bool resize(ToolkitBitmap& bmp, int width, int height)
{
    if (bmp.isNull() || width <= 0 || height <= 0 || qint64(width) * height > kMaxPixels)
        return false;
    bmp.image = bmp.image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGB32);
    return !bmp.image.isNull();
}

bool turn(ToolkitBitmap& bmp, int degrees)
{
    if (bmp.isNull())
        return false;
    if (degrees != 90 && degrees != 180 && degrees != 270)
        return false;
    // In y-down coordinates a positive rotation turns clockwise; Qt takes a
    // fast exact path for quarter turns.
    bmp.image = bmp.image.transformed(QTransform().rotate(degrees));
    // A failed allocation leaves a null picture, which callers must not use.
    return !bmp.image.isNull();
}

bool turnedCopy(ToolkitBitmap& destination, const ToolkitBitmap& source, int degrees)
{
    if (source.isNull() || (degrees != 90 && degrees != 180 && degrees != 270)) {
        release(destination);
        return false;
    }
    destination.image = source.image.transformed(QTransform().rotate(degrees));
    destination.bitsPerPixel = source.bitsPerPixel;
    return !destination.isNull();
}

void combine(ToolkitBitmap& destination, const ToolkitBitmap& source, int)
{
    // Each pixel becomes the mean of the two: against white, a faded copy.
    if (destination.isNull() || source.isNull())
        return;
    const int w = std::min(destination.width(), source.width());
    const int h = std::min(destination.height(), source.height());
    for (int y = 0; y < h; ++y) {
        auto* d = reinterpret_cast<QRgb*>(destination.image.scanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(source.image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            // Average byte lanes without carries between them.
            d[x] = 0xFF000000u | ((((d[x] ^ s[x]) & 0xFEFEFEu) >> 1) + (d[x] & s[x] & 0xFFFFFFu));
        }
    }
}

uint32_t getPixel(const ToolkitBitmap& bmp, int row, int column)
{
    if (row < 0 || column < 0 || row >= bmp.height() || column >= bmp.width())
        return 0;
    return fromQRgb(reinterpret_cast<const QRgb*>(bmp.image.constScanLine(row))[column]);
}

void setPixel(ToolkitBitmap& bmp, int row, int column, uint32_t colour)
{
    if (row < 0 || column < 0 || row >= bmp.height() || column >= bmp.width())
        return;
    reinterpret_cast<QRgb*>(bmp.image.scanLine(row))[column] = toQRgb(colour);
}

void paint(QPainter& painter, const ToolkitBitmap& bmp, const QRect& source,
           const QRect& destination, const QRect& clip)
{
    if (bmp.isNull() || source.isEmpty() || destination.isEmpty())
        return;
    const QRect visible = destination & clip;
    if (visible.isEmpty())
        return;
    if (source.size() == destination.size()) {
        // Plain copy: only the clipped part, no scaling.
        const QRect src = visible.translated(source.topLeft() - destination.topLeft());
        painter.drawImage(visible.topLeft(), bmp.image, src);
        return;
    }
    painter.save();
    painter.setClipRect(visible, Qt::IntersectClip);
    painter.drawImage(destination, bmp.image, source);
    painter.restore();
}

QImage deviceCanvas(QSize logical, qreal ratio, QImage::Format format)
{
    const qreal r = ratio > 0 ? ratio : 1;
    QImage canvas(int(std::ceil(logical.width() * r)), int(std::ceil(logical.height() * r)), format);
    canvas.setDevicePixelRatio(r);
    return canvas;
}

void release(ToolkitBitmap& bmp)
{
    bmp.image = QImage();
    bmp.bitsPerPixel = 0;
}

QList<QRgb> makePalette(const ToolkitBitmap& bmp)
{
    return bmp.image.format() == QImage::Format_Indexed8 ? bmp.image.colorTable() : QList<QRgb>();
}

QImage fromRaw(const uchar* d, qint64 size)
{
    if (!d || size < 12)
        return {};
    const auto le32 = [](const uchar* p) {
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    };
    const quint32 w = le32(d), h = le32(d + 4), f = le32(d + 8);
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32)
        return {};
    if (w == 0 || h == 0 || w > 4096 || h > 4096 || size != 12 + qint64(w) * h * 4)
        return {};
    QImage img(static_cast<int>(w), static_cast<int>(h), static_cast<QImage::Format>(f));
    if (img.isNull())
        return {};
    for (int y = 0; y < int(h); ++y)
        std::memcpy(img.scanLine(y), d + 12 + qint64(y) * w * 4, size_t(w) * 4);
    return img;
}

QImage rawResource(const QString& path)
{
    // A compressed entry would need inflating, which the layout is there to avoid.
    const QResource r(path);
    if (!r.isValid() || r.compressionAlgorithm() != QResource::NoCompression)
        return {};
    return fromRaw(r.data(), r.size());
}

} // namespace imaging
