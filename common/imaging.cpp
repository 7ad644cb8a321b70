#include "imaging.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QTransform>

namespace imaging {
namespace {

bool decode(QImageReader& reader, ToolkitBitmap& bmp, int bitsPerPixel)
{
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels)
        return false;
    QImage img;
    if (!reader.read(&img) || img.isNull())
        return false;
    if (qint64(img.width()) * img.height() > kMaxPixels)
        return false;
    const int fileDepth = img.depth() == 32 && !img.hasAlphaChannel() ? 24 : img.depth();
    bmp.image = img.convertToFormat(QImage::Format_RGB32);
    bmp.bitsPerPixel = bitsPerPixel == 0 ? fileDepth : 24;
    return !bmp.image.isNull();
}

} // namespace

bool load(const QString& path, ToolkitBitmap& bmp, int bitsPerPixel)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return decode(reader, bmp, bitsPerPixel);
}

bool loadFromData(const QByteArray& bytes, ToolkitBitmap& bmp, int bitsPerPixel)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    return decode(reader, bmp, bitsPerPixel);
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
    return true;
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
    return true;
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

void release(ToolkitBitmap& bmp)
{
    bmp.image = QImage();
    bmp.bitsPerPixel = 0;
}

QList<QRgb> makePalette(const ToolkitBitmap& bmp)
{
    return bmp.image.format() == QImage::Format_Indexed8 ? bmp.image.colorTable() : QList<QRgb>();
}

} // namespace imaging
