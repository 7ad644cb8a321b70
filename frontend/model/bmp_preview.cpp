#include "bmp_preview.h"

#include "file_read.h"
#include "imaging.h"
#include "picture_check.h"

#include <QBuffer>
#include <QImageReader>
#include <QPixelFormat>

#include <algorithm>

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

PictureInfo readPicture(const QString& path, const QSize& maxPreview)
{
    PictureInfo info;
    // Regular files only: a pipe or a device in the folder would block the
    // read for ever. The whole file, so that its structure is checked before
    // the decoder trusts a length in it.
    QByteArray bytes;
    if (file_read::readWhole(path, imaging::kMaxFileBytes, bytes) != file_read::Result::Ok)
        return info;
    const qint64 fileBytes = bytes.size();
    QBuffer buffer;
    QImageReader reader;
    if (!picture_check::openChecked(bytes, buffer, reader, nullptr))
        return info;
    reader.setAutoTransform(true);
    const QByteArray format = reader.format();

    const QSize stored = reader.size();
    int bits = 0;
    if (format == "bmp") {
        // The decoder widens 4- and 16-bit files, so their depth comes from
        // the header (a file shorter than it promises was refused above).
        const picture_check::BmpHeader bmp = picture_check::readBmpHeader(bytes.left(64));
        if (!bmp.valid)
            return info;
        bits = bmp.bitCount;
    } else if (stored.isValid()) {
        // Without a readable header the decoder answers this with an uninitialised value.
        bits = depthOf(reader.imageFormat());
    }

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
        if (!picture_check::whySizeRefused(image.size(), fileBytes, false).isEmpty())
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
