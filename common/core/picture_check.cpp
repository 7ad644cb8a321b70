#include "picture_check.h"

#include "imaging.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <climits>
#include <cstdlib>

namespace picture_check {
namespace {

const uchar* data(const QByteArray& bytes) { return reinterpret_cast<const uchar*>(bytes.constData()); }

QString sizeText(qint64 w, qint64 h) { return QStringLiteral("%1 x %2 pixels").arg(w).arg(h); }

QString tooLarge(qint64 w, qint64 h)
{
    return QStringLiteral("it is too large (%1)").arg(sizeText(w, h));
}

QString cannotFill(const char* format, qint64 w, qint64 h, qint64 dataBytes)
{
    return QStringLiteral("the %1 declares %2, far more than its %3 bytes of image data can fill")
        .arg(QLatin1String(format), sizeText(w, h))
        .arg(dataBytes);
}

QString png(const QByteArray& bytes)
{
    const uchar* b = data(bytes);
    const qint64 n = bytes.size();
    qint64 w = 0, h = 0, bitsPerPixel = 0, imageData = 0;
    bool header = false;
    for (qint64 at = 8; at < n;) {
        if (n - at < 12)
            return QStringLiteral("its last PNG chunk is cut short");
        const qint64 length = qFromBigEndian<quint32>(b + at);
        const QByteArray type(bytes.constData() + at + 4, 4);
        // The format caps a chunk at 2^31 - 1 bytes; a chunk must end inside the data.
        if (length > INT_MAX || length > n - at - 12)
            return QStringLiteral("its PNG chunk \"%1\" declares %2 bytes, more than the %3 bytes left in the file")
                .arg(QString::fromLatin1(type))
                .arg(length)
                .arg(n - at - 12);
        if (type == "IHDR" && length >= 13) {
            header = true;
            w = qFromBigEndian<quint32>(b + at + 8);
            h = qFromBigEndian<quint32>(b + at + 12);
            const int depth = b[at + 16];
            const int colour = b[at + 17];
            const int channels = colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1;
            bitsPerPixel = qint64(depth) * channels;
        } else if (type == "IDAT") {
            imageData += length;
        } else if (type == "IEND") {
            break;
        }
        at += 12 + length;
    }
    if (!header)
        return QString(); // not a PNG the decoder will take either; it says so
    // Each side may be declared up to 2^32 - 1, so the area is not worked
    // out before the sides are known to be small enough for it.
    if (w > 0 && h > 0 && (w > imaging::kMaxPixels || h > imaging::kMaxPixels / w))
        return tooLarge(w, h);
    // The rows deflate must produce: a filter byte and the packed pixels each.
    // Interlacing adds filter bytes, so this is the least it can be.
    const qint64 rowBytes = 1 + (w * bitsPerPixel + 7) / 8;
    if (h * rowBytes > kDeflateBytesPerByte * imageData + 4 * kSlackPixels)
        return cannotFill("PNG", w, h, imageData);
    return QString();
}

// Skips the data sub-blocks that start at `at`: returns where they end
// (past the zero-length terminator, or the end of the data) and adds their
// payload to `payload`.
qint64 skipSubBlocks(const QByteArray& bytes, qint64 at, qint64& payload)
{
    const qint64 n = bytes.size();
    while (at < n) {
        const int length = uchar(bytes[at]);
        ++at;
        if (length == 0)
            break;
        const qint64 present = std::min<qint64>(length, n - at);
        payload += present;
        at += present;
    }
    return at;
}

QString gif(const QByteArray& bytes)
{
    const uchar* b = data(bytes);
    const qint64 n = bytes.size();
    if (n < 13)
        return QString();
    const qint64 w = qFromLittleEndian<quint16>(b + 6);
    const qint64 h = qFromLittleEndian<quint16>(b + 8);
    auto table = [](uchar flags) { return flags & 0x80 ? 3 * (qint64(2) << (flags & 7)) : 0; };
    qint64 at = 13 + table(b[10]);
    qint64 allData = 0;
    // A cut-short file is decoded as far as it goes (GIF decoders read in
    // small blocks), so the walk simply ends with the data.
    while (at < n && b[at] != 0x3B) {
        if (b[at] == 0x21 && n - at >= 2) {
            qint64 ignored = 0;
            at = skipSubBlocks(bytes, at + 2, ignored);
        } else if (b[at] == 0x2C && n - at >= 11) {
            const qint64 fw = qFromLittleEndian<quint16>(b + at + 5);
            const qint64 fh = qFromLittleEndian<quint16>(b + at + 7);
            qint64 frameData = 0;
            // The descriptor, its colour table, the minimum code size, then the codes.
            at = skipSubBlocks(bytes, at + 10 + table(b[at + 9]) + 1, frameData);
            if (fw * fh > kLzwPixelsPerByte * frameData + kSlackPixels)
                return cannotFill("GIF's frame", fw, fh, frameData);
            allData += frameData;
        } else {
            break; // damaged: the decoder stops here too
        }
    }
    // The decoder paints frames on a canvas of the screen's size; whatever the
    // frames leave uncovered is background that no byte of the file holds.
    if (w * h > kLzwPixelsPerByte * allData + kSlackPixels)
        return cannotFill("GIF's canvas", w, h, allData);
    return QString();
}

QString bmp(const QByteArray& bytes)
{
    const BmpHeader header = readBmpHeader(bytes.left(64));
    if (!header.valid)
        return QString();
    const qint64 w = header.width;
    const qint64 h = std::abs(qint64(header.height));
    if (w * h > imaging::kMaxPixels)
        return tooLarge(w, h);
    const qint64 n = bytes.size();
    // A decoder returns a cut-short file as a whole picture of whatever
    // memory held; the rows the header promises must all be there.
    if (header.requiredBytes > n)
        return QStringLiteral("its BMP rows need %1 bytes, but the file has %2").arg(header.requiredBytes).arg(n);
    if (header.compression == 1 || header.compression == 2) {
        const qint64 codes = std::max<qint64>(0, n - header.pixelOffset);
        if (w * h > kRlePixelsPerByte * codes + kSlackPixels)
            return cannotFill("BMP", w, h, codes);
    }
    return QString();
}

QString jpeg(const QByteArray& bytes, bool scaledDecode)
{
    if (imaging::jpegScanCount(bytes, imaging::kMaxJpegScans) > imaging::kMaxJpegScans)
        return QStringLiteral("its JPEG data has more than %1 scans").arg(imaging::kMaxJpegScans);
    // The frame header comes before the first scan, among segments that all
    // carry their lengths.
    const uchar* b = data(bytes);
    const qint64 n = bytes.size();
    for (qint64 at = 2; at + 4 <= n;) {
        if (b[at] != 0xFF)
            return QString();
        const uchar marker = b[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return QString();
        const qint64 length = qFromBigEndian<quint16>(b + at + 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && at + 9 <= n) {
            const qint64 h = qFromBigEndian<quint16>(b + at + 5);
            const qint64 w = qFromBigEndian<quint16>(b + at + 7);
            const bool sequential = marker == 0xC0 || marker == 0xC1;
            if (w * h > (scaledDecode && sequential ? kMaxScaledJpegPixels : imaging::kMaxPixels))
                return tooLarge(w, h);
            // Arithmetic coding (markers C9 to CF) has no least cost per block.
            if (marker < 0xC8 && w * h > kJpegPixelsPerByte * n + kSlackPixels)
                return cannotFill("JPEG", w, h, n);
            return QString();
        }
        at += 2 + length;
    }
    return QString();
}

} // namespace

BmpHeader readBmpHeader(const QByteArray& head)
{
    BmpHeader h;
    if (head.size() < 26 || !head.startsWith("BM"))
        return h;
    const uchar* p = data(head);
    h.pixelOffset = qFromLittleEndian<quint32>(p + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(p + 14);
    if (infoSize == 12) {
        // The old OS/2 header: 16-bit sizes, never compressed.
        h.width = qFromLittleEndian<quint16>(p + 18);
        h.height = qFromLittleEndian<quint16>(p + 20);
        h.bitCount = qFromLittleEndian<quint16>(p + 24);
    } else if (infoSize >= 40 && head.size() >= 34) {
        h.width = qFromLittleEndian<qint32>(p + 18);
        h.height = qFromLittleEndian<qint32>(p + 22);
        h.bitCount = qFromLittleEndian<quint16>(p + 28);
        h.compression = qFromLittleEndian<quint32>(p + 30);
    } else {
        return h;
    }
    if (h.width <= 0 || h.height == 0 || h.height == INT_MIN)
        return h;
    h.valid = true;
    // Uncompressed rows (plain or with colour masks) have a known length; run-length
    // and embedded JPEG/PNG data do not.
    const bool uncompressed = h.compression == 0 || h.compression == 3 || h.compression == 6;
    const qint64 pixels = qint64(h.width) * std::abs(qint64(h.height));
    if (uncompressed && h.bitCount > 0 && pixels <= imaging::kMaxPixels) {
        const qint64 stride = (qint64(h.width) * h.bitCount + 31) / 32 * 4;
        h.requiredBytes = qint64(h.pixelOffset) + stride * std::abs(qint64(h.height));
    }
    return h;
}

QString whyRefused(const QByteArray& bytes, bool scaledDecode)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return png(bytes);
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return gif(bytes);
    if (bytes.startsWith("BM"))
        return bmp(bytes);
    if (bytes.startsWith("\xFF\xD8"))
        return jpeg(bytes, scaledDecode);
    return QString();
}

QString whySizeRefused(QSize size, qint64 fileBytes, bool checkedFormat)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > imaging::kMaxPixels)
        return tooLarge(size.width(), size.height());
    if (!checkedFormat && pixels > kAnyPixelsPerByte * fileBytes + kSlackPixels)
        return QStringLiteral("it declares %1, far more than its %2 bytes can fill")
            .arg(sizeText(size.width(), size.height()))
            .arg(fileBytes);
    return QString();
}

bool openChecked(const QByteArray& bytes, QBuffer& buffer, QImageReader& reader, QString* why, bool scaledDecode)
{
    auto refuse = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    if (const QString text = whyRefused(bytes, scaledDecode); !text.isEmpty())
        return refuse(text);
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("it cannot be opened"));
    reader.setDevice(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format.isEmpty())
        return refuse(QStringLiteral("it is not a picture in a format we know"));
    const QByteArray head = bytes.left(8);
    const bool checked = (format == "png" && head.startsWith("\x89PNG")) || (format == "gif" && head.startsWith("GIF"))
        || (format == "bmp" && head.startsWith("BM")) || (format == "jpeg" && head.startsWith("\xFF\xD8"));
    const QSize size = reader.size();
    // The JPEG's frame header was measured above, against its own limit.
    if (size.isValid() && !(checked && format == "jpeg"))
        if (const QString text = whySizeRefused(size, bytes.size(), checked); !text.isEmpty())
            return refuse(text);
    return true;
}

} // namespace picture_check
