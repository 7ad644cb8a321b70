#include "bmp_preview.h"

#include "imaging.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPixelFormat>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace bmppreview {
namespace {

// The depth a decoder announces, counted the way users know it: colour
// without alpha is 24 bits even when it is held in 32.
int depthOf(QImage::Format format)
{
    if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats)
        return 0;
    const QPixelFormat pf = QImage::toPixelFormat(format);
    const int bits = pf.bitsPerPixel();
    return bits == 32 && pf.alphaUsage() == QPixelFormat::IgnoresAlpha ? 24 : bits;
}

bool turnsSideways(QImageIOHandler::Transformations t)
{
    return t.testFlag(QImageIOHandler::TransformationRotate90);
}

QSize atLeastOnePixel(QSize s)
{
    return QSize(std::max(1, s.width()), std::max(1, s.height()));
}

} // namespace

QString widthText(int width)
{
    return QStringLiteral("Width: %1 pixels").arg(width);
}

QString heightText(int height)
{
    return QStringLiteral("Height: %1 pixels").arg(height);
}

QString colorText(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: return QStringLiteral("Colors: 2 (monocromatic)");
    case 4: return QStringLiteral("Colors: 16");
    case 8: return QStringLiteral("Colors: 256");
    case 16: return QStringLiteral("Colors: 65,536");
    case 24: return QStringLiteral("Colors: 16 millions");
    default: return QString();
    }
}

QString sizeText(qint64 fileBytes)
{
    return QStringLiteral("Size: %1 Kb").arg(fileBytes >> 10);
}

QStringList infoLines(const PictureInfo& info)
{
    if (!info.ok)
        return {QString(), QString(), QString(), QString()};
    return {widthText(info.size.width()), heightText(info.size.height()), colorText(info.bitsPerPixel),
            sizeText(info.fileBytes)};
}

QRect previewRect(const QRect& box, const QSize& picture)
{
    const qint64 w = picture.width();
    const qint64 h = picture.height();
    if (w <= 0 || h <= 0 || box.isEmpty())
        return {};
    const int fullWidthHeight = int(box.width() * h / w);
    const int fullHeightWidth = int(box.height() * w / h);
    // A box that is not square could push a nearly square picture past its
    // other side; the picture then spans that side instead.
    const bool spanWidth = w > h ? fullWidthHeight <= box.height() : fullHeightWidth > box.width();
    if (spanWidth)
        return QRect(box.left(), box.top() + (box.height() - fullWidthHeight) / 2, box.width(), fullWidthHeight);
    return QRect(box.left() + (box.width() - fullHeightWidth) / 2, box.top(), fullHeightWidth, box.height());
}

BmpHeader readBmpHeader(const QByteArray& head)
{
    BmpHeader h;
    if (head.size() < 26 || !head.startsWith("BM"))
        return h;
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    const quint32 pixelOffset = qFromLittleEndian<quint32>(p + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(p + 14);
    quint32 compression = 0;
    if (infoSize == 12) {
        // The old OS/2 header: 16-bit sizes, never compressed.
        h.width = qFromLittleEndian<quint16>(p + 18);
        h.height = qFromLittleEndian<quint16>(p + 20);
        h.bitCount = qFromLittleEndian<quint16>(p + 24);
    } else if (infoSize >= 40 && head.size() >= 34) {
        h.width = qFromLittleEndian<qint32>(p + 18);
        h.height = qFromLittleEndian<qint32>(p + 22);
        h.bitCount = qFromLittleEndian<quint16>(p + 28);
        compression = qFromLittleEndian<quint32>(p + 30);
    } else {
        return h;
    }
    if (h.width <= 0 || h.height == 0 || h.height == INT_MIN)
        return h;
    h.valid = true;
    // Uncompressed rows (plain or with colour masks) have a known length; run-length
    // and embedded JPEG/PNG data do not.
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    const qint64 pixels = qint64(h.width) * std::abs(qint64(h.height));
    if (uncompressed && h.bitCount > 0 && pixels <= imaging::kMaxPixels) {
        const qint64 stride = (qint64(h.width) * h.bitCount + 31) / 32 * 4;
        h.requiredBytes = qint64(pixelOffset) + stride * std::abs(qint64(h.height));
    }
    return h;
}

PictureInfo readPicture(const QString& path, const QSize& maxPreview)
{
    PictureInfo info;
    // A pipe or a device in the folder would block the read for ever.
    if (!QFileInfo(path).isFile())
        return info;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return info;
    const qint64 fileBytes = file.size();
    const QByteArray head = file.peek(64);

    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();
    if (format.isEmpty())
        return info;

    const QSize stored = reader.size();
    int bits = 0;
    if (format == "bmp") {
        // The decoder widens 4- and 16-bit files, so their depth comes from
        // the header; and it returns a file cut short as a whole picture of
        // whatever memory held, so a short file counts as unreadable here.
        const BmpHeader bmp = readBmpHeader(head);
        if (!bmp.valid || fileBytes < bmp.requiredBytes)
            return info;
        bits = bmp.bitCount;
    } else if (stored.isValid()) {
        // Without a readable header the decoder answers this with an uninitialised value.
        bits = depthOf(reader.imageFormat());
    }

    if (stored.isValid() && qint64(stored.width()) * stored.height() > imaging::kMaxPixels)
        return info;
    const bool sideways = turnsSideways(reader.transformation());
    if (stored.isValid()) {
        const QSize shown = sideways ? stored.transposed() : stored;
        const QSize fit = atLeastOnePixel(previewRect(QRect(QPoint(), maxPreview), shown).size());
        // Scaling happens before the EXIF turn, so the decoder is asked in the file's orientation.
        if (fit.width() < shown.width() || fit.height() < shown.height())
            reader.setScaledSize(sideways ? fit.transposed() : fit);
    }

    // A thumbnail does not need the exact transform and smooth chroma: the JPEG decoder's fast path.
    reader.setQuality(49);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return info;
    if (!stored.isValid()) {
        // A format that does not tell its size before decoding: checked and scaled afterwards.
        if (qint64(image.width()) * image.height() > imaging::kMaxPixels)
            return info;
        if (bits == 0)
            bits = depthOf(image.format());
        const QSize fit = atLeastOnePixel(previewRect(QRect(QPoint(), maxPreview), image.size()).size());
        info.size = image.size();
        if (fit.width() < image.width() || fit.height() < image.height())
            image = image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        info.size = sideways ? stored.transposed() : stored;
    }

    info.ok = true;
    info.bitsPerPixel = bits;
    info.fileBytes = fileBytes;
    // Converted once here rather than at every paint.
    info.preview = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                   : QImage::Format_RGB32);
    return info;
}

} // namespace bmppreview
