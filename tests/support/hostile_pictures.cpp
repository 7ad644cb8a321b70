#include "hostile_pictures.h"

#include "test_files.h"

#include <QtEndian>

#include <array>

namespace hostile {
namespace {

quint32 crc32(const QByteArray& bytes)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (char b : bytes)
        c = table[(c ^ quint8(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray be32(quint32 v)
{
    QByteArray out(4, '\0');
    qToBigEndian(v, out.data());
    return out;
}

QByteArray le16(quint16 v)
{
    QByteArray out(2, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray le32(quint32 v)
{
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

// A chunk with its true length and checksum.
QByteArray chunk(const char* type, const QByteArray& data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    return be32(quint32(data.size())) + body + be32(crc32(body));
}

const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

// IHDR of an 8-bit RGB picture, not interlaced.
QByteArray pngHeader(int width, int height)
{
    return kPngSignature
        + chunk("IHDR", be32(quint32(width)) + be32(quint32(height)) + QByteArray("\x08\x02\x00\x00\x00", 5));
}

// A zlib stream of that many zero bytes (qCompress puts the length first).
QByteArray zeros(int n) { return qCompress(QByteArray(n, '\0'), 9).mid(4); }

} // namespace

QByteArray pngWithTextChunk(quint32 declared, int totalBytes)
{
    QByteArray png = pngHeader(20, 20) + chunk("IDAT", zeros(20 * (1 + 3 * 20)));
    png += be32(declared) + QByteArray("tEXtComment", 11) + '\0';
    png += QByteArray(std::max<qsizetype>(0, totalBytes - png.size()), 'A');
    return png;
}

QByteArray pngIdatPastEnd(int width, int height)
{
    const QByteArray data = zeros(64 * 1024).left(100);
    return pngHeader(width, height) + be32(1u << 20) + "IDAT" + data;
}

QByteArray pngStarved(int width, int height)
{
    return pngHeader(width, height) + chunk("IDAT", zeros(4096)) + chunk("IEND", {});
}

QByteArray gifCanvas(int width, int height)
{
    QByteArray gif("GIF89a");
    gif += le16(quint16(width)) + le16(quint16(height));
    gif += QByteArray("\x80\x00\x00", 3);                 // a global table of two colours
    gif += QByteArray("\x00\x00\x00\xff\xff\xff", 6);
    gif += QByteArray("\x21\xfe\x0c", 3) + QByteArray(12, 'c') + '\0'; // a comment
    gif += QByteArray("\x2c\x00\x00\x00\x00\x02\x00\x02\x00\x00", 10); // one 2 x 2 frame
    // Minimum code size 2; in three bits each, clear and 0 four times, then end.
    gif += QByteArray("\x02\x04\x04\x41\x10\x05\x00", 7);
    gif += ';';
    return gif;
}

QByteArray bmpHeadersOnly(int width, int height)
{
    const quint32 stride = quint32((width * 24 + 31) / 32 * 4);
    QByteArray bmp("BM");
    bmp += le32(54 + stride * quint32(height)) + le32(0) + le32(54);
    bmp += le32(40) + le32(quint32(width)) + le32(quint32(height)) + le16(1) + le16(24);
    bmp += le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
    return bmp;
}

QByteArray jpegClaiming(int width, int height)
{
    QByteArray jpeg = testfiles::encode(testfiles::patternImage(16, 16), "jpeg", 50);
    const qsizetype sof = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    if (sof < 0)
        return {};
    qToBigEndian(quint16(height), jpeg.data() + sof + 5);
    qToBigEndian(quint16(width), jpeg.data() + sof + 7);
    return jpeg;
}

} // namespace hostile
