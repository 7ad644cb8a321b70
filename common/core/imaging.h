#pragma once
// The picture operations both programs need, over QImage. A ToolkitBitmap is
// the one picture object they pass around: it is created empty, gets pixels by
// load, create, copy or scan, and loses them by release (the object stays
// usable). Pixels are always held as 32-bit RGB; bitsPerPixel tells what the
// picture was loaded as (24, or the file's own depth when asked for).

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

class QPainter;

struct ToolkitBitmap {
    QImage image;
    int bitsPerPixel = 0;

    int width() const { return image.width(); }
    int height() const { return image.height(); }
    bool isNull() const { return image.isNull(); }
};

namespace imaging {

// Save formats, by the numbers the callers pass.
constexpr int kFormatBmp = 6;
constexpr int kFormatJpeg = 10;
// The combine that makes a guide picture: blends the source into the destination.
constexpr int kCombineFade = 0x900;
// Largest picture we agree to decode, in pixels; a file claiming more is refused.
constexpr qint64 kMaxPixels = 64ll * 1024 * 1024;
// Largest picture file we read: an uncompressed picture of kMaxPixels.
constexpr qint64 kMaxFileBytes = 4 * kMaxPixels + 1024 * 1024;
// A progressive JPEG needs about ten scans; each scan costs a pass over the
// whole picture, so a file of thousands of empty ones would decode for minutes.
constexpr int kMaxJpegScans = 100;

// bitsPerPixel 24 converts to 24-bit colour; 0 keeps and reports the file's own depth.
// Only a regular file is read. Before anything is decoded, the file's
// structure is checked (picture_check.h) and a picture larger than maxSize on
// either side (when given) is refused. `why` (when given) gets the reason of
// a failure, in lower case.
bool load(const QString& path, ToolkitBitmap& bmp, int bitsPerPixel, QSize maxSize = QSize(),
          QString* why = nullptr);
bool loadFromData(const QByteArray& bytes, ToolkitBitmap& bmp, int bitsPerPixel,
                  QSize maxSize = QSize(), QString* why = nullptr);
// The number of scans (start-of-scan markers) of a JPEG file, counting no
// further than `stopAfter`; 0 for bytes that are not a JPEG.
int jpegScanCount(const QByteArray& bytes, int stopAfter);
// The bytes save() would write: a complete image file in memory.
QByteArray encode(const ToolkitBitmap& bmp, int format, int quality);
// quality 1..100 for JPEG (0 means the default of 75); BMP ignores it.
bool save(const QString& path, const ToolkitBitmap& bmp, int format, int bitsPerPixel, int quality);
bool create(ToolkitBitmap& bmp, int width, int height, int bitsPerPixel = 24);
// colour has red in the low byte, then green, then blue.
void fill(ToolkitBitmap& bmp, uint32_t colour);
bool copy(ToolkitBitmap& destination, const ToolkitBitmap& source);
bool resize(ToolkitBitmap& bmp, int width, int height);
// Clockwise by 90, 180 or 270 degrees; 90 and 270 swap width and height.
bool turn(ToolkitBitmap& bmp, int degrees);
// The source turned clockwise by 90, 180 or 270 degrees into the destination,
// with no intermediate copy; false (destination empty) when it cannot be made.
bool turnedCopy(ToolkitBitmap& destination, const ToolkitBitmap& source, int degrees);
void combine(ToolkitBitmap& destination, const ToolkitBitmap& source, int flags);
uint32_t getPixel(const ToolkitBitmap& bmp, int row, int column);
void setPixel(ToolkitBitmap& bmp, int row, int column, uint32_t colour);
// Paints the source rectangle of the bitmap into the destination rectangle
// (scaled when the sizes differ), limited to the clip rectangle.
void paint(QPainter& painter, const ToolkitBitmap& bmp, const QRect& source,
           const QRect& destination, const QRect& clip);
void release(ToolkitBitmap& bmp);
// An off-screen canvas for a logical size on a screen of the given device
// pixel ratio: that many more pixels, painted on in logical coordinates.
QImage deviceCanvas(QSize logical, qreal devicePixelRatio, QImage::Format format);
// A bitmap in the raw layout artgen embeds for both programs: width, height
// and QImage format (32 bits each, little-endian; RGB32 or ARGB32), then the
// rows. Copied, not decoded: no image plugin, no inflate. Null when the bytes
// are not whole or say something else.
QImage fromRaw(const uchar* data, qint64 size);
// The same from an uncompressed resource (":/player/143.raw").
QImage rawResource(const QString& path);
// A palette for showing the bitmap on a palette-based display. Our displays
// and bitmaps are true colour, so there is never one to make: empty.
QList<QRgb> makePalette(const ToolkitBitmap& bmp);

inline uint32_t colourRef(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }
inline QRgb toQRgb(uint32_t c) { return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
inline uint32_t fromQRgb(QRgb c) { return colourRef(qRed(c), qGreen(c), qBlue(c)); }

} // namespace imaging
