#pragma once
// What a picture file's own structure says about it, read before any decoder
// is handed the bytes. A decoder trusts the lengths and sizes a file declares:
// a chunk length of 2 GB or a canvas of 20 x 55 295 pixels in a 53-byte file
// makes it allocate and read for as long as the file says. These checks walk
// the file's chunks, blocks or segments by their lengths (linear time, no
// allocation) and refuse what cannot be a real picture: a structure that runs
// past the end of the data, or a declared size far beyond what the file's
// data could fill at the densest its format can encode.

#include <QByteArray>
#include <QSize>
#include <QString>

class QBuffer;
class QImageReader;

namespace picture_check {

// The most pixels one byte of image data can become in each format's densest
// encoding, counted generously:
// deflate turns 2 bits into at most 258 bytes (1032 bytes per byte of PNG data);
constexpr qint64 kDeflateBytesPerByte = 1032;
// a full LZW table turns each 12-bit code into at most 4096 pixels;
constexpr qint64 kLzwPixelsPerByte = 2731;
// a Huffman-coded JPEG spends at least one bit on each 8 x 8 block;
constexpr qint64 kJpegPixelsPerByte = 512;
// a run-length BMP spends two bytes on at most 255 pixels;
constexpr qint64 kRlePixelsPerByte = 128;
// and no format we know packs more than this (icons, Netpbm, X bitmaps).
constexpr qint64 kAnyPixelsPerByte = 4096;
// Every small picture passes whatever its encoding: a quarter of a
// megabyte of pixels costs nothing to decode.
constexpr qint64 kSlackPixels = 256 * 256;
// A sequential JPEG decoded straight to a smaller size streams through the
// decoder in rows, so it may be this large (a 200-megapixel phone photo);
// a progressive one keeps a coefficient per pixel and is held to the
// toolkit's limit.
constexpr qint64 kMaxScaledJpegPixels = 256ll * 1024 * 1024;

// What a BMP file's headers say, read from its first bytes.
struct BmpHeader {
    bool valid = false;
    int width = 0;
    int height = 0; // negative for top-down rows
    int bitCount = 0;
    quint32 compression = 0;
    quint32 pixelOffset = 0;
    // The bytes an uncompressed file must hold; 0 when compressed (not knowable).
    qint64 requiredBytes = 0;
};
BmpHeader readBmpHeader(const QByteArray& head);

// Why these bytes are refused before any decoder sees them; empty when their
// structure allows them to be decoded (which does not mean they will decode).
// The sentence is lower case, to follow "Cannot read the picture: ".
// `scaledDecode` says the caller decodes straight to a smaller size, which
// lets a sequential JPEG be larger (kMaxScaledJpegPixels).
QString whyRefused(const QByteArray& bytes, bool scaledDecode = false);

// Why a picture that declares `size` pixels in `fileBytes` bytes is refused:
// more than the toolkit decodes at all, or, for a format whose structure
// whyRefused does not know (`checkedFormat` false), more than
// kAnyPixelsPerByte can fill.
QString whySizeRefused(QSize size, qint64 fileBytes, bool checkedFormat);

// Both checks for a reader: the bytes' structure, then the size the format
// declares, before a single pixel is decoded. On success `reader` reads from
// `buffer`, which holds `bytes`; on failure `why` says why.
bool openChecked(const QByteArray& bytes, QBuffer& buffer, QImageReader& reader, QString* why,
                 bool scaledDecode = false);

} // namespace picture_check
